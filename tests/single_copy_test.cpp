// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The one-copy lock: held, busy while held elsewhere, free again once the
// holder is gone however it ended, and never in a place others can write;
// and the channel on which a second start asks the running copy to show
// itself, which answers the one request and nothing else.
#include "window/single_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace falbok {
namespace {

using State = SingleCopyLock::State;

class SingleCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "falbok-lock-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string dir_;
};

TEST_F(SingleCopyTest, SecondCopyFindsTheLockBusyUntilTheFirstLetsGo)
{
    {
        SingleCopyLock first(dir_.c_str(), "falbok.lock");
        ASSERT_EQ(first.state(), State::Held);
        SingleCopyLock second(dir_.c_str(), "falbok.lock");
        EXPECT_EQ(second.state(), State::Busy);
        // Another name is another lock.
        SingleCopyLock other(dir_.c_str(), "other.lock");
        EXPECT_EQ(other.state(), State::Held);
    }
    SingleCopyLock after(dir_.c_str(), "falbok.lock");
    EXPECT_EQ(after.state(), State::Held);
}

TEST_F(SingleCopyTest, AKilledHolderDoesNotBlockTheNextStart)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleCopyLock held(dir_.c_str(), "falbok.lock");
        const char state = held.state() == State::Held ? 'H' : 'x';
        (void)!::write(ready[1], &state, 1);
        ::pause();  // until killed
        std::_Exit(0);
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ASSERT_EQ(state, 'H');
    EXPECT_EQ(SingleCopyLock(dir_.c_str(), "falbok.lock").state(), State::Busy);

    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    // The lock file is still there, but nobody holds it any more.
    EXPECT_TRUE(std::filesystem::exists(dir_ + "/falbok.lock"));
    EXPECT_EQ(SingleCopyLock(dir_.c_str(), "falbok.lock").state(), State::Held);
}

TEST_F(SingleCopyTest, DoubtfulPlacesLeaveTheCheckUndone)
{
    EXPECT_EQ(SingleCopyLock(nullptr, "falbok.lock").state(), State::Unchecked);
    EXPECT_EQ(SingleCopyLock("", "falbok.lock").state(), State::Unchecked);
    EXPECT_EQ(SingleCopyLock("relative/dir", "falbok.lock").state(), State::Unchecked);
    EXPECT_EQ(SingleCopyLock((dir_ + "/missing").c_str(), "falbok.lock").state(), State::Unchecked);

    // A directory others may write to could hold a lock planted by them.
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
    EXPECT_EQ(SingleCopyLock(dir_.c_str(), "falbok.lock").state(), State::Unchecked);
    ASSERT_EQ(::chmod(dir_.c_str(), 0700), 0);

    // A symbolic link in place of the lock file is not followed.
    std::filesystem::create_symlink("/dev/null", dir_ + "/link.lock");
    EXPECT_EQ(SingleCopyLock(dir_.c_str(), "link.lock").state(), State::Unchecked);

    // A link to a directory in place of the directory itself is refused too.
    std::filesystem::create_directory_symlink(dir_, dir_ + "/alias");
    EXPECT_EQ(SingleCopyLock((dir_ + "/alias").c_str(), "falbok.lock").state(), State::Unchecked);
}

// ---- The channel beside the lock

using namespace std::chrono_literals;

// Sets `name` to `value` (unsets it for null) until the end of the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            saved_ = old;
        }
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { saved_ ? ::setenv(name_, saved_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

class ShowRequestsTest : public SingleCopyTest {
protected:
    void SetUp() override
    {
        SingleCopyTest::SetUp();
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "single_copy_tests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
        path_ = dir_ + "/falbok.socket";
    }

    // Runs `client` on a thread of its own while this thread serves.
    template <typename Client>
    auto Serve(Client client)
    {
        std::future<decltype(client())> result = std::async(std::launch::async, client);
        while (result.wait_for(1ms) != std::future_status::ready) {
            QCoreApplication::processEvents();
        }
        return result.get();
    }

    std::string path_;
};

TEST_F(ShowRequestsTest, TheRunningCopyShowsItselfOnRequestAndIgnoresAnythingElse)
{
    // A socket file left behind by a killed copy does not stand in the way.
    std::ofstream(path_) << "stale";
    std::vector<QByteArray> shown;
    ShowRequests requests(path_, [&](const QByteArray& token) { shown.push_back(token); });
    ASSERT_TRUE(requests.Listening());

    EXPECT_TRUE(Serve([&] { return AskToShow(path_, "", 2s); }));
    EXPECT_TRUE(Serve([&] { return AskToShow(path_, "launcher-token_1", 2s); }));
    EXPECT_EQ(shown, (std::vector<QByteArray>{"", "launcher-token_1"}));

    // Stray, partial, malformed and oversized messages get no answer and
    // show nothing.
    const std::vector<QByteArray> junk{"hello\n",    "sho",         "show\nshow\n",           "show \n",
                                       "show a b\n", "show \x01\n", QByteArray(1 << 20, 'x'), "SHOW\n"};
    for (const QByteArray& message : junk) {
        const QByteArray answer = Serve([&] {
            QLocalSocket socket;
            socket.connectToServer(QString::fromStdString(path_));
            if (!socket.waitForConnected(1000)) {
                return QByteArray("no connection");
            }
            socket.write(message);
            socket.waitForBytesWritten(500);
            socket.waitForReadyRead(300);
            return socket.readAll();
        });
        EXPECT_EQ(answer, QByteArray()) << "after " << message.left(20).toStdString();
    }
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_TRUE(Serve([&] { return AskToShow(path_, "", 2s); })) << "the channel should still serve";
}

TEST_F(ShowRequestsTest, ASecondStartGivesUpOnACopyThatDoesNotAnswer)
{
    // Nobody listens on a socket file left by a killed copy.
    std::ofstream(path_) << "stale";
    EXPECT_FALSE(AskToShow(path_, "", 1s));
    std::filesystem::remove(path_);

    // A hung copy: it listens, but its thread never comes round to answer.
    QLocalServer hung;
    ASSERT_TRUE(hung.listen(QString::fromStdString(path_)));
    std::future<bool> asked = std::async(std::launch::async, [&] { return AskToShow(path_, "", 300ms); });
    ASSERT_EQ(asked.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(asked.get());
}

TEST_F(ShowRequestsTest, WithoutASessionRuntimeDirectoryTheLockLivesInQtsPrivateFolder)
{
    std::string directory;
    {
        const ScopedVariable noSession("XDG_RUNTIME_DIR", nullptr);
        const ScopedVariable tmp("TMPDIR", dir_.c_str());
        directory = LockDirectory();
    }
    ASSERT_EQ(directory.rfind(dir_ + "/runtime-", 0), 0u) << directory;
    struct stat info {};
    ASSERT_EQ(::stat(directory.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(SingleCopyLock(directory.c_str(), "falbok.lock").state(), State::Held);
}

}  // namespace
}  // namespace falbok

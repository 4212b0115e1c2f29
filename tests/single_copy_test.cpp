// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The one-copy lock: held, busy while held elsewhere, free again once the
// holder is gone however it ended, and never in a place others can write.
#include "window/single_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

}  // namespace
}  // namespace falbok

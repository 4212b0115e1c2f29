// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program where its surroundings misbehave: two copies started at
// the same instant, a runtime directory that is missing or unfit for the
// one-copy lock, and an X server that dies under the running game. Every
// test runs its own Xvfb, which it may kill without disturbing anyone else.
#include <gtest/gtest.h>

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "process.h"
#include "screen.h"
#include "x_session.h"

namespace falbok::e2e {
namespace {

using namespace std::chrono_literals;

constexpr const char* kTitle = "Falbok";
constexpr auto kStartLimit = 10s;  // start-up is slow under the sanitizers
constexpr auto kEndLimit = 10s;    // from the dead X server to the game's end

// No runtime directory from the session: Qt's private folder for that case
// lies under `tmp`.
void WithoutSessionRuntime(Command& command, const std::string& tmp)
{
    command.environment.Unset("XDG_RUNTIME_DIR").Set("TMPDIR", tmp);
}

class OwnXServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(work_.path().empty()) << "cannot make a scratch directory";
        server_ = std::make_unique<XServer>(XVFB_BINARY);
        ASSERT_FALSE(server_->display().empty()) << XVFB_BINARY << " did not report a display";
        x_ = XSession::Open(server_->display().c_str());
        ASSERT_NE(x_, nullptr) << "cannot connect to the private X server " << server_->display();
        ASSERT_TRUE(x_->HasXTest()) << "the X server has no XTest extension";
    }

    // How the game is started: this test's environment on the private
    // display, its runtime directory `runtimeDir`, its stderr kept in a file;
    // with a Wayland socket, left to choose its platform.
    Command GameCommand(const std::string& runtimeDir, const std::string& waylandSocket = "") const
    {
        Command command = waylandSocket.empty() ? e2e::GameCommand(FALBOK_BINARY, runtimeDir)
                                                : WaylandGameCommand(FALBOK_BINARY, runtimeDir, waylandSocket);
        command.environment.Set("DISPLAY", server_->display());
        return command;
    }

    Process& Start(Command command)
    {
        command.stderrPath = work_.path() + "/game-" + std::to_string(games_.size() + 1) + ".stderr";
        games_.push_back({std::make_unique<Process>(command), command.stderrPath});
        return *games_.back().process;
    }

    // All the game `game` has written to stderr so far.
    std::string ErrorsOf(const Process& game) const
    {
        for (const Game& started : games_) {
            if (started.process.get() == &game) {
                return ReadFile(started.stderrPath);
            }
        }
        return {};
    }

    // The mapped window titled Falbok of `game`, or 0 after a failure.
    Window WaitForWindow(Process& game)
    {
        if (!game.Started()) {
            ADD_FAILURE() << "cannot start " << FALBOK_BINARY;
            return 0;
        }
        const Clock::time_point deadline = Clock::now() + kStartLimit;
        while (Clock::now() < deadline) {
            for (Window window : x_->WindowsTitled(kTitle)) {
                if (x_->Pid(window) == game.pid() && x_->Viewable(window)) {
                    return window;
                }
            }
            if (const std::optional<int> status = game.WaitForExit(0s)) {
                ADD_FAILURE() << "the game " << DescribeStatus(*status) << " before showing its window; stderr:\n"
                              << ErrorsOf(game);
                return 0;
            }
            std::this_thread::sleep_for(5ms);
        }
        ADD_FAILURE() << "no mapped window titled " << kTitle << " of process " << game.pid() << " after "
                      << std::chrono::duration_cast<std::chrono::seconds>(kStartLimit).count() << " s; stderr:\n"
                      << ErrorsOf(game);
        return 0;
    }

    bool WaitForNoWindow()
    {
        return Eventually([&] { return x_->WindowsTitled(kTitle).empty(); }, 5s);
    }

    // The well and the preview as the window shows them now. A picture
    // taken while the game redraws some tiles may not decode; the next
    // one will.
    std::optional<Decoded> Look(Window window)
    {
        const Clock::time_point deadline = Clock::now() + 2s;
        std::optional<Decoded> seen;
        do {
            if (const std::optional<Snapshot> shot = x_->Grab(window)) {
                seen = DecodeTiles(*shot);
            }
        } while ((!seen || !seen->tiles) && Clock::now() < deadline);
        return seen;
    }

    // A runtime directory fit for the lock.
    std::string PrivateRuntime()
    {
        const std::string path = work_.path() + "/runtime";
        EXPECT_EQ(mkdir(path.c_str(), 0700), 0) << "cannot make " << path;
        return path;
    }

    // The game is playing: its beat has brought the first piece into the
    // well. Returns the picture with it.
    std::optional<Decoded> WaitForPlay(Window window)
    {
        const Clock::time_point deadline = Clock::now() + kStartLimit;
        std::string last = "the window could not be read";
        while (Clock::now() < deadline) {
            if (std::optional<Decoded> seen = Look(window)) {
                if (seen->tiles && *seen->tiles != Tiles{}) {
                    return seen;
                }
                last = seen->tiles ? "the well and the preview stay empty" : seen->error;
            }
            std::this_thread::sleep_for(10ms);
        }
        ADD_FAILURE() << "no piece came into the well: " << last;
        return std::nullopt;
    }

    // The board shows the same picture for `still`, longer than a few beats.
    bool WaitForStillBoard(Window window, Clock::duration still)
    {
        const Clock::time_point deadline = Clock::now() + still + 5s;
        std::optional<Tiles> current;
        Clock::time_point since = Clock::now();
        while (Clock::now() < deadline) {
            const std::optional<Decoded> seen = Look(window);
            if (seen && seen->tiles) {
                if (!current || *current != *seen->tiles) {
                    current = seen->tiles;
                    since = Clock::now();
                } else if (Clock::now() - since >= still) {
                    return true;
                }
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    TempDir work_;
    std::unique_ptr<XServer> server_;
    std::unique_ptr<XSession> x_;  // closed before the server goes

private:
    struct Game {
        std::unique_ptr<Process> process;
        std::string stderrPath;
    };
    std::vector<Game> games_;  // killed first, before the connection and the server
};

// ---- Two copies at once

using TwoCopies = OwnXServer;

TEST_F(TwoCopies, StartedAtTheSameInstantOnlyOneShowsAWindow)
{
    // A race lost only now and then needs several rounds to show.
    for (int round = 1; round <= 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        TempDir runtime;  // a lock of its own, so rounds do not meet
        ASSERT_FALSE(runtime.path().empty());
        Gate gate;
        ASSERT_TRUE(gate.Valid());
        Command command = GameCommand(runtime.path());
        command.gate = &gate;
        Process& first = Start(command);
        Process& second = Start(command);
        ASSERT_TRUE(first.Started() && second.Started()) << "cannot fork";
        gate.Open();

        // Until one copy gives up, note every window titled Falbok and whose
        // it is.
        std::set<std::pair<Window, long>> seen;
        const Clock::time_point deadline = Clock::now() + kStartLimit;
        while (first.Running() && second.Running() && Clock::now() < deadline) {
            for (Window window : x_->WindowsTitled(kTitle)) {
                // No owner can be read of a window that has just gone.
                if (const std::optional<long> pid = x_->Pid(window)) {
                    seen.emplace(window, *pid);
                }
            }
            std::this_thread::sleep_for(2ms);
        }
        const bool firstRuns = first.Running();
        const bool secondRuns = second.Running();
        ASSERT_TRUE(firstRuns || secondRuns)
            << "both copies ended: the first " << DescribeStatus(*first.WaitForExit(0s)) << ", the second "
            << DescribeStatus(*second.WaitForExit(0s)) << "; stderr of the first:\n"
            << ErrorsOf(first);
        ASSERT_FALSE(firstRuns && secondRuns)
            << "both copies still run " << std::chrono::duration_cast<std::chrono::seconds>(kStartLimit).count()
            << " s after they started together; windows titled Falbok: " << x_->WindowsTitled(kTitle).size();
        Process& ended = firstRuns ? second : first;
        Process& runs = firstRuns ? first : second;

        const int status = *ended.WaitForExit(0s);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "the copy that found the other " << DescribeStatus(status) << "; stderr:\n"
            << ErrorsOf(ended);
        for (const auto& [window, pid] : seen) {
            EXPECT_EQ(pid, runs.pid()) << "window " << window << " titled Falbok belongs to process " << pid
                                       << ", not to the copy that runs on";
        }

        const Window window = WaitForWindow(runs);
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(WaitForPlay(window));
        EXPECT_EQ(x_->WindowsTitled(kTitle), std::vector<Window>{window});
        EXPECT_TRUE(runs.Running());

        runs.Kill();
        ASSERT_TRUE(WaitForNoWindow()) << "the killed copy's window stays";
    }
}

TEST_F(TwoCopies, WithoutASessionRuntimeDirectoryOnlyOneRunsToo)
{
    Command command = GameCommand("");
    WithoutSessionRuntime(command, work_.path());
    Process& first = Start(command);
    const Window window = WaitForWindow(first);
    ASSERT_NE(window, 0u);
    Process& second = Start(command);
    const std::optional<int> status = second.WaitForExit(kStartLimit);
    ASSERT_TRUE(status) << "a second copy without XDG_RUNTIME_DIR runs on";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "the second copy " << DescribeStatus(*status);
    EXPECT_EQ(x_->WindowsTitled(kTitle), std::vector<Window>{window});
}

// ---- A second start brings the running game back

class SecondStart : public OwnXServer {
protected:
    void SetUp() override
    {
        OwnXServer::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        Command command;
        command.argv = {OPENBOX_BINARY};
        command.environment.Set("DISPLAY", server_->display());
        windowManager_.emplace(command);
        ASSERT_TRUE(Eventually([&] { return x_->HasWindowManager(); }, kStartLimit))
            << OPENBOX_BINARY << " did not take over the display";
    }

    bool WaitForViewable(Window window, bool viewable)
    {
        return Eventually([&] { return x_->Viewable(window) == viewable; }, 5s);
    }

    // Starts another copy, which must end by itself with status 0.
    void StartAgainAndExpectItToEnd(Process& first)
    {
        Process& second = Start(GameCommand(runtime_));
        const std::optional<int> status = second.WaitForExit(kStartLimit);
        ASSERT_TRUE(status) << "the second start runs on";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << "the second start " << DescribeStatus(*status) << "; stderr:\n"
            << ErrorsOf(second);
        EXPECT_TRUE(first.Running());
    }

    std::string runtime_;

private:
    std::optional<Process> windowManager_;
};

TEST_F(SecondStart, BringsTheMinimisedGameBackPausedAndActive)
{
    runtime_ = PrivateRuntime();
    Process& game = Start(GameCommand(runtime_));
    const Window window = WaitForWindow(game);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(WaitForPlay(window));

    // "Настройки" → "ESC" → "Свернуть" with the keyboard, from the open
    // first menu at the left of the menu bar. A key must wait for the menu
    // it is meant for: before that it goes to the game.
    const std::optional<Decoded> seen = Look(window);
    ASSERT_TRUE(seen && seen->tiles);
    const auto menus = [&] {
        std::vector<Window> open = x_->ViewableWindowsOf(game.pid());
        std::erase(open, window);
        return open;
    };
    const auto waitForMenus = [&](const auto& ready) { return Eventually([&] { return ready(menus()); }, 5s); };
    x_->Click(window, 15, seen->clientTop / 2);
    ASSERT_TRUE(waitForMenus([](const auto& open) { return open.size() == 1; })) << "the first menu did not open";
    const std::vector<Window> gameMenu = menus();
    ASSERT_TRUE(x_->PressKey(window, XK_Right));
    ASSERT_TRUE(waitForMenus([&](const auto& open) { return open.size() == 1 && open != gameMenu; }))
        << "the settings menu did not open";
    ASSERT_TRUE(x_->PressKey(window, XK_Down));
    ASSERT_TRUE(x_->PressKey(window, XK_Right));
    ASSERT_TRUE(waitForMenus([](const auto& open) { return open.size() == 2; })) << "the ESC submenu did not open";
    for (KeySym key : {XK_Down, XK_Down, XK_Return}) {
        ASSERT_TRUE(x_->PressKey(window, key));
    }
    ASSERT_TRUE(waitForMenus([](const auto& open) { return open.empty(); })) << "the menus stay open";
    ASSERT_TRUE(WaitForViewable(window, true));
    ASSERT_TRUE(x_->PressKey(window, XK_Escape));
    ASSERT_TRUE(WaitForViewable(window, false)) << "Esc did not minimise the window";

    StartAgainAndExpectItToEnd(game);
    EXPECT_TRUE(WaitForViewable(window, true)) << "the game stays minimised";
    EXPECT_TRUE(Eventually([&] { return x_->ActiveWindow() == window; }, 5s))
        << "the game's window is not the active one";
    EXPECT_EQ(x_->WindowsTitled(kTitle), std::vector<Window>{window});
    EXPECT_TRUE(WaitForStillBoard(window, 1200ms)) << "the game should still be paused";

    // A copy that hangs gets no answer in, and the next start ends anyway.
    ASSERT_EQ(kill(game.pid(), SIGSTOP), 0);
    StartAgainAndExpectItToEnd(game);
    ASSERT_EQ(kill(game.pid(), SIGCONT), 0);
    EXPECT_TRUE(game.Running());
}

// ---- WAYLAND_DISPLAY names no working compositor

using NoCompositor = OwnXServer;

TEST_F(NoCompositor, TheGameRunsOnXWithoutAWord)
{
    const std::string runtime = PrivateRuntime();
    // Nothing at the socket's place, then a socket file nobody listens on.
    ASSERT_TRUE(std::ofstream(runtime + "/falbok-dead").good());
    for (const std::string socket : {"falbok-missing", "falbok-dead"}) {
        SCOPED_TRACE("WAYLAND_DISPLAY=" + socket);
        Process& game = Start(GameCommand(runtime, socket));
        const Window window = WaitForWindow(game);
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(WaitForPlay(window));
        EXPECT_EQ(ErrorsOf(game), "");
        game.Kill();
        ASSERT_TRUE(WaitForNoWindow()) << "the killed copy's window stays";
    }
}

// ---- A runtime directory that cannot hold the lock

// Where XDG_RUNTIME_DIR points, made inside the scratch directory `work`.
struct RuntimeCase {
    const char* name;
    std::function<bool(Command&, const std::string& work)> prepare;
};

bool MakeDirectory(const std::string& path, mode_t mode)
{
    // chmod after mkdir: the umask must not take bits away.
    return mkdir(path.c_str(), 0700) == 0 && chmod(path.c_str(), mode) == 0;
}

// The folder Qt makes for this user under the temporary directory `tmp`
// when the session names no runtime directory.
std::string QtsRuntimeFolder(const std::string& tmp)
{
    const passwd* user = getpwuid(geteuid());
    return tmp + "/runtime-" + (user != nullptr ? user->pw_name : std::to_string(geteuid()));
}

const RuntimeCase kRuntimeCases[] = {
    // Where the session sets none, Qt's private folder under the temporary
    // directory holds the lock (two copies there: TwoCopies below).
    {"Unset",
     [](Command& command, const std::string& work) {
         WithoutSessionRuntime(command, work);
         return true;
     }},
    // Qt's folder is a link somewhere else: no safe place, so no check.
    {"UnsetAndQtsFolderIsALink",
     [](Command& command, const std::string& work) {
         WithoutSessionRuntime(command, work);
         return MakeDirectory(work + "/elsewhere", 0700) &&
                symlink((work + "/elsewhere").c_str(), QtsRuntimeFolder(work).c_str()) == 0;
     }},
    {"UnsetAndQtsFolderIsWorldWritable",
     [](Command& command, const std::string& work) {
         WithoutSessionRuntime(command, work);
         return MakeDirectory(QtsRuntimeFolder(work), 01777);
     }},
    // Qt makes a missing runtime directory at start-up, mode 0700, so the
    // lock finds a fit place after all.
    {"Missing",
     [](Command& command, const std::string& work) {
         command.environment.Set("XDG_RUNTIME_DIR", work + "/missing");
         return true;
     }},
    // Here nobody can make it, not even root: a plain file stands where
    // its parent directory should be.
    {"MissingForGood",
     [](Command& command, const std::string& work) {
         command.environment.Set("XDG_RUNTIME_DIR", work + "/file/runtime");
         return std::ofstream(work + "/file").good();
     }},
    // A directory of the user's without write permission: for a user the
    // lock file cannot be made and the check stays undone. Root writes
    // anyway and holds the lock, so there the case checks that a directory
    // without write bits passes for the user's own and the game starts.
    {"NotWritable",
     [](Command& command, const std::string& work) {
         command.environment.Set("XDG_RUNTIME_DIR", work + "/read-only");
         return MakeDirectory(work + "/read-only", 0500);
     }},
    // A private directory named relative to the game's working directory:
    // the lock refuses a place that depends on where the game was started.
    {"Relative",
     [](Command& command, const std::string& work) {
         command.environment.Set("XDG_RUNTIME_DIR", "runtime");
         command.workingDirectory = work;
         return MakeDirectory(work + "/runtime", 0700);
     }},
    // Anyone could plant or hold a lock file there, so the lock refuses it.
    {"WorldWritable",
     [](Command& command, const std::string& work) {
         command.environment.Set("XDG_RUNTIME_DIR", work + "/shared");
         return MakeDirectory(work + "/shared", 01777);
     }},
    // The lock file cannot be opened, not even by root: a directory
    // stands in its place.
    {"LockFileIsADirectory",
     [](Command& command, const std::string& work) {
         command.environment.Set("XDG_RUNTIME_DIR", work + "/private");
         return MakeDirectory(work + "/private", 0700) && MakeDirectory(work + "/private/falbok.lock", 0700);
     }},
};

void PrintTo(const RuntimeCase& runtimeCase, std::ostream* out) { *out << runtimeCase.name; }

class RuntimeDirectory : public OwnXServer, public ::testing::WithParamInterface<RuntimeCase> {};

TEST_P(RuntimeDirectory, UnfitForTheLockTheGameStartsAndPlaysAnyway)
{
    Command command = GameCommand("");
    ASSERT_TRUE(GetParam().prepare(command, work_.path())) << "cannot prepare the runtime directory";
    Process& game = Start(command);
    const Window window = WaitForWindow(game);
    ASSERT_NE(window, 0u);
    const std::optional<Decoded> playing = WaitForPlay(window);
    ASSERT_TRUE(playing);

    // It stays and plays on: a second later the process still runs, its
    // window is up and the piece has fallen.
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(game.Running()) << "the game " << DescribeStatus(*game.WaitForExit(0s)) << "; stderr:\n"
                                << ErrorsOf(game);
    const std::optional<Decoded> later = Look(window);
    ASSERT_TRUE(later && later->tiles) << "the window went away or cannot be read";
    EXPECT_NE(*later->tiles, *playing->tiles) << "the board stood still for a second:\n" << Text(*later->tiles);
}

INSTANTIATE_TEST_SUITE_P(Cases, RuntimeDirectory, ::testing::ValuesIn(kRuntimeCases),
                         [](const ::testing::TestParamInfo<RuntimeCase>& info) { return info.param.name; });

// ---- The X server dies under the game

class LostDisplay : public OwnXServer {
protected:
    // Kills the X server under `game` (or the compositor, if given), which
    // must then end by itself, soon, with an error status rather than a
    // signal, and say why in a line or two rather than a flood.
    void KillServerAndExpectAQuietEnd(Process& game, Compositor* compositor = nullptr)
    {
        ASSERT_TRUE(game.Running()) << "the game ended before its display server";
        const std::size_t before = ErrorsOf(game).size();
        if (compositor != nullptr) {
            compositor->Kill();
        } else {
            x_.reset();  // this test's own connection would break too
            server_->Kill();
        }
        const std::optional<int> status = game.WaitForExit(kEndLimit);
        const std::string said = ErrorsOf(game).substr(before);
        if (!status) {
            game.Kill();
            FAIL() << "the game still ran " << std::chrono::duration_cast<std::chrono::seconds>(kEndLimit).count()
                   << " s after its display server died; stderr since:\n"
                   << said;
        }
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1)
            << "the game " << DescribeStatus(*status) << "; stderr since the server died:\n"
            << said;
        const auto lines = std::count(said.begin(), said.end(), '\n');
        EXPECT_TRUE(lines >= 1 && lines <= 2 && said.size() <= 200)
            << "expected a line or two on stderr, got " << lines << " lines, " << said.size() << " bytes:\n"
            << said;
    }
};

TEST_F(LostDisplay, WhilePlayingTheGameEndsWithALine)
{
    Process& game = Start(GameCommand(PrivateRuntime()));
    const Window window = WaitForWindow(game);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(WaitForPlay(window));
    KillServerAndExpectAQuietEnd(game);
}

TEST_F(LostDisplay, WhilePausedTheGameEndsWithALine)
{
    Process& game = Start(GameCommand(PrivateRuntime()));
    const Window window = WaitForWindow(game);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(WaitForPlay(window));
    // Paused, no timer wakes the game: only the broken connection can.
    ASSERT_TRUE(x_->PressKey(window, XK_p));
    ASSERT_TRUE(WaitForStillBoard(window, 1200ms)) << "the board never stood still after P";
    KillServerAndExpectAQuietEnd(game);
}

TEST_F(LostDisplay, UnderAWaylandCompositorTheGameEndsWithALine)
{
    const std::string runtime = PrivateRuntime();
    Compositor weston(WESTON_BINARY, server_->display(), runtime, "falbok-lost");
    ASSERT_TRUE(weston.Listening()) << "weston did not start; its log:\n" << weston.Log();
    const Window output = x_->WaitForCompositorOutput(kStartLimit);
    ASSERT_NE(output, 0u) << "no output window of weston";
    Process& game = Start(GameCommand(runtime, "falbok-lost"));
    ASSERT_TRUE(WaitForPlay(output));
    KillServerAndExpectAQuietEnd(game, &weston);
}

TEST_F(LostDisplay, WithAMenuOpenTheGameEndsWithALine)
{
    Process& game = Start(GameCommand(PrivateRuntime()));
    const Window window = WaitForWindow(game);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(WaitForPlay(window));
    // The first menu's title sits at the left end of the menu bar, above
    // the client area.
    const std::optional<Decoded> seen = Look(window);
    ASSERT_TRUE(seen && seen->tiles) << "cannot find the menu bar";
    x_->Click(window, 15, seen->clientTop / 2);
    ASSERT_TRUE(Eventually([&] { return x_->ViewableWindowsOf(game.pid()).size() >= 2; }, 5s)) << "no menu popped up";
    KillServerAndExpectAQuietEnd(game);
}

}  // namespace
}  // namespace falbok::e2e

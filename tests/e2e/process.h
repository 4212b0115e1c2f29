// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The processes an end-to-end test starts — copies of the game, private X
// servers — and the scratch directories they use. Every owner kills and reaps
// its process when it goes out of scope, so a test that fails half-way
// leaves nothing running behind it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "screen.h"

extern char** environ;

namespace falbok::e2e {

using Clock = std::chrono::steady_clock;

// Asks `condition` every 10 ms until it holds (true) or `limit` has passed
// (false).
template <typename Condition>
bool Eventually(Condition condition, Clock::duration limit)
{
    const Clock::time_point deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline std::string DescribeStatus(int status)
{
    if (WIFEXITED(status)) {
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "killed by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")" +
               (WCOREDUMP(status) ? ", core dumped" : "");
    }
    return "ended with wait status " + std::to_string(status);
}

// A fresh private directory under /tmp, removed with all it holds at the end.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/falbok-e2e-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempDir()
    {
        std::error_code ignored;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Empty when the directory could not be made.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The test's own environment with some variables changed or taken out.
class Environment {
public:
    Environment()
    {
        for (char** variable = environ; *variable != nullptr; ++variable) {
            variables_.emplace_back(*variable);
        }
    }

    Environment& Set(const std::string& name, const std::string& value)
    {
        Unset(name);
        variables_.push_back(name + "=" + value);
        return *this;
    }

    Environment& Unset(const std::string& name)
    {
        std::erase_if(variables_, [&](const std::string& variable) { return variable.starts_with(name + "="); });
        return *this;
    }

    const std::vector<std::string>& variables() const { return variables_; }

private:
    std::vector<std::string> variables_;
};

// A pipe that children started behind it wait on before they exec: Open()
// closes the last writing end, and every waiting child reads end-of-file at
// the same instant.
class Gate {
public:
    Gate()
    {
        if (pipe2(fds_, O_CLOEXEC) != 0) {
            fds_[0] = fds_[1] = -1;
        }
    }
    ~Gate()
    {
        for (int fd : fds_) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

    bool Valid() const { return fds_[0] >= 0; }
    int readEnd() const { return fds_[0]; }
    int writeEnd() const { return fds_[1]; }

    void Open()
    {
        if (fds_[1] >= 0) {
            close(fds_[1]);
            fds_[1] = -1;
        }
    }

private:
    int fds_[2] = {-1, -1};
};

struct Command {
    std::vector<std::string> argv;  // argv[0] is the program's path
    Environment environment;
    std::string workingDirectory;  // empty: the test's own
    std::string stderrPath;        // empty: /dev/null
    const Gate* gate = nullptr;    // wait for it to open before the exec
    int passFd = -1;               // handed to the child as descriptor 3
};

// The game at `program` on the X display of the test's environment, as a
// plain X11 program at scale 1, with its single-copy lock in `runtimeDir`.
inline Command GameCommand(const std::string& program, const std::string& runtimeDir)
{
    Command command;
    command.argv = {program};
    command.environment.Set("XDG_RUNTIME_DIR", runtimeDir)
        .Set("QT_QPA_PLATFORM", "xcb")
        .Unset("WAYLAND_DISPLAY")
        .Unset("QT_SCALE_FACTOR")
        .Unset("QT_SCREEN_SCALE_FACTORS");
    return command;
}

// The same game left to choose its platform as on a Wayland session: the
// compositor's socket `socket` in `runtimeDir`, the X display still there.
inline Command WaylandGameCommand(const std::string& program, const std::string& runtimeDir, const std::string& socket)
{
    Command command = GameCommand(program, runtimeDir);
    command.environment.Unset("QT_QPA_PLATFORM").Set("WAYLAND_DISPLAY", socket);
    return command;
}

// One child process, killed and reaped when it goes out of scope.
class Process {
public:
    explicit Process(const Command& command)
    {
        // Everything the child needs is made here: after fork it may only
        // make system calls.
        std::vector<std::string> argvText = command.argv;
        std::vector<std::string> envText = command.environment.variables();
        std::vector<char*> argv;
        for (std::string& argument : argvText) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& variable : envText) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        const char* workingDirectory = command.workingDirectory.empty() ? nullptr : command.workingDirectory.c_str();
        const char* stderrPath = command.stderrPath.empty() ? "/dev/null" : command.stderrPath.c_str();
        const int gateRead = command.gate != nullptr ? command.gate->readEnd() : -1;
        const int gateWrite = command.gate != nullptr ? command.gate->writeEnd() : -1;

        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ != 0) {
            return;
        }
        // Should the test itself be killed (a timeout), its children go too.
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) {
            _exit(127);
        }
        if (gateWrite >= 0) {
            close(gateWrite);  // else this child would keep its own gate shut
        }
        if (gateRead >= 0) {
            char byte = 0;
            ssize_t got = 0;
            do {
                got = read(gateRead, &byte, 1);
            } while (got > 0 || (got < 0 && errno == EINTR));
        }
        // dup2 clears close-on-exec on the copy, except when it copies a
        // descriptor onto itself. Descriptor 3 is taken before the opens
        // below could land on it.
        const bool passed =
            command.passFd < 0 || (command.passFd == 3 ? fcntl(3, F_SETFD, 0) == 0 : dup2(command.passFd, 3) == 3);
        const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
        const int err = open(stderrPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (in < 0 || err < 0 || dup2(in, 0) < 0 || dup2(err, 2) < 0 || !passed ||
            (workingDirectory != nullptr && chdir(workingDirectory) != 0)) {
            _exit(127);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ~Process() { Kill(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool Started() const { return pid_ > 0; }

    // The wait status once the process has ended; waits at most `limit`.
    std::optional<int> WaitForExit(Clock::duration limit)
    {
        const Clock::time_point deadline = Clock::now() + limit;
        while (!status_ && pid_ > 0) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = status;
            } else if (Clock::now() >= deadline) {
                break;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        return status_;
    }

    bool Running() { return Started() && !WaitForExit(Clock::duration::zero()); }

    void Kill()
    {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGKILL);
            int status = 0;
            waitpid(pid_, &status, 0);
            status_ = status;
        }
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// A private Xvfb on a display number it picks itself. It never resets, so
// clients may come and go; Kill() ends it at once, and every client's
// connection breaks.
class XServer {
public:
    explicit XServer(const std::string& xvfb)
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        Command command;
        command.argv = {xvfb, "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"};
        command.passFd = fds[1];
        process_.emplace(command);
        close(fds[1]);
        // The server writes its display number once it listens.
        std::string number;
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
        while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
            pollfd ready{fds[0], POLLIN, 0};
            if (poll(&ready, 1, 100) <= 0) {
                continue;
            }
            char buffer[16];
            const ssize_t count = read(fds[0], buffer, sizeof buffer);
            if (count <= 0) {
                break;
            }
            number.append(buffer, static_cast<std::size_t>(count));
        }
        close(fds[0]);
        if (number.find('\n') != std::string::npos) {
            display_ = ":" + number.substr(0, number.find('\n'));
        }
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // ":N", or empty when the server did not start.
    const std::string& display() const { return display_; }

    void Kill()
    {
        if (process_) {
            process_->Kill();
        }
    }

private:
    std::optional<Process> process_;
    std::string display_;
};

// Weston (at `weston`) with its X11 backend on the X display `display`: its output is one
// X window, so XTest's keys and clicks reach its Wayland clients and X
// screenshots show them. No panel, a plain background, no XWayland, an
// output little larger than the game's window to keep screenshots quick; its
// socket `socket` and its log lie in `runtimeDir`. Kill() ends it at once.
class Compositor {
public:
    static constexpr Rgb kBackground{0x20, 0x40, 0x60};  // background-color below

    Compositor(const std::string& weston, const std::string& display, const std::string& runtimeDir,
               const std::string& socket)
        : log_(runtimeDir + "/weston.log")
    {
        const std::string config = runtimeDir + "/weston.ini";
        std::ofstream(config) << "[shell]\npanel-position=none\nlocking=false\nbackground-image=\n"
                                 "background-color=0xff204060\n";
        Command command;
        command.argv = {weston,
                        "--backend=x11-backend.so",
                        "--socket=" + socket,
                        "--idle-time=0",
                        "--use-pixman",
                        "--width=360",
                        "--height=480",
                        "--config=" + config};
        command.environment.Set("DISPLAY", display).Set("XDG_RUNTIME_DIR", runtimeDir).Unset("WAYLAND_DISPLAY");
        command.stderrPath = log_;
        process_.emplace(command);
        const std::string path = runtimeDir + "/" + socket;
        Eventually([&] { return std::filesystem::exists(path) || !process_->Running(); }, std::chrono::seconds(10));
        listening_ = std::filesystem::exists(path) && process_->Running();
    }
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // It runs and its socket is there.
    bool Listening() const { return listening_; }
    std::string Log() const { return ReadFile(log_); }

    void Kill() { process_->Kill(); }

private:
    std::string log_;
    std::optional<Process> process_;
    bool listening_ = false;
};

}  // namespace falbok::e2e

// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One copy of the game per user: a lock held on a file in the user's own
// runtime directory. The kernel drops the lock when the process ends in any
// way, so a copy that crashed or was killed never blocks the next start.
// Beside the lock, the running copy listens for a second start that asks it
// to show itself.
#pragma once

#include <QByteArray>
#include <QLocalServer>

#include <chrono>
#include <functional>
#include <string>

class QLocalSocket;

namespace falbok {

class SingleCopyLock {
public:
    enum class State {
        Held,       // this process holds the lock: it is the only copy
        Busy,       // another copy of the game holds it
        Unchecked,  // no safe place for the lock, or the check failed
    };

    // Tries the lock in `runtimeDir` (normally $XDG_RUNTIME_DIR). The
    // directory must belong to this user and be writable by nobody else;
    // anything doubtful gives Unchecked, and the game starts anyway.
    SingleCopyLock(const char* runtimeDir, const char* name);
    ~SingleCopyLock();
    SingleCopyLock(const SingleCopyLock&) = delete;
    SingleCopyLock& operator=(const SingleCopyLock&) = delete;

    State state() const { return state_; }

private:
    int fd_ = -1;
    State state_ = State::Unchecked;
};

// Where the lock and the channel live: the session's runtime directory, or,
// where the session sets none (a bare X session, a shell of another user),
// the private per-user folder Qt keeps under the temporary directory for
// that case. Empty when there is neither; the lock checks the place itself.
std::string LockDirectory();

// The running copy's end of the channel, a local socket only this user can
// reach. It never blocks the game: a connection that sends anything but the
// one request, too much, or nothing for too long is dropped unanswered.
class ShowRequests {
public:
    // `show` runs for each request, with the activation token the second
    // start was given by its launcher (empty if none). Only the holder of
    // the lock may listen: a socket file left by a killed copy is replaced.
    ShowRequests(const std::string& path, std::function<void(const QByteArray& activationToken)> show);
    bool Listening() const { return server_.isListening(); }

private:
    void Read(QLocalSocket* socket);

    QLocalServer server_;
    std::function<void(const QByteArray&)> show_;
};

// The second start's end: asks the copy listening on `path` to show itself
// and waits for its answer at most `patience`. False when no copy answered.
bool AskToShow(const std::string& path, const QByteArray& activationToken, std::chrono::milliseconds patience);

}  // namespace falbok

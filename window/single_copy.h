// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One copy of the game per user: a lock held on a file in the user's own
// runtime directory. The kernel drops the lock when the process ends in any
// way, so a copy that crashed or was killed never blocks the next start.
#pragma once

#include <string>

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

}  // namespace falbok

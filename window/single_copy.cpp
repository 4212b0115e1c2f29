// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window/single_copy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace falbok {

namespace {

// A directory fit for the lock: a real directory of this user that nobody
// else can write to, so no one else can hold or replace the lock file.
bool PrivateDirectory(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

SingleCopyLock::SingleCopyLock(const char* runtimeDir, const char* name)
{
    if (runtimeDir == nullptr || *runtimeDir != '/' || !PrivateDirectory(runtimeDir)) {
        return;
    }
    const std::string path = std::string(runtimeDir) + "/" + name;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        return;
    }
    int result = 0;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        state_ = State::Held;
        return;
    }
    state_ = errno == EWOULDBLOCK ? State::Busy : State::Unchecked;
    ::close(fd_);
    fd_ = -1;
}

SingleCopyLock::~SingleCopyLock()
{
    if (fd_ >= 0) {
        ::close(fd_);  // closing the last descriptor drops the lock
    }
}

}  // namespace falbok

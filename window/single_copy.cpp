// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window/single_copy.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

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

// The request is one short line: "show", or "show TOKEN" with the launcher's
// activation token; the answer is "shown".
constexpr char kRequest[] = "show";
constexpr char kAnswer[] = "shown\n";
constexpr qint64 kLongestRequest = 300;
constexpr int kMostOpenRequests = 4;
constexpr int kRequestPatienceMs = 2000;

bool ValidToken(const QByteArray& token)
{
    if (token.size() > 255) {
        return false;
    }
    for (const char c : token) {
        const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          std::string_view("-_.:+/=").find(c) != std::string_view::npos;
        if (!fits) {
            return false;
        }
    }
    return true;
}

void Drop(QLocalSocket* socket)
{
    socket->abort();
    socket->deleteLater();
}

}  // namespace

std::string LockDirectory()
{
    if (const char* session = std::getenv("XDG_RUNTIME_DIR"); session != nullptr && *session != '\0') {
        return session;
    }
    // Qt says where it falls back to on the terminal at start-up already.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const QString fallback = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    qInstallMessageHandler(previous);
    return fallback.toStdString();
}

ShowRequests::ShowRequests(const std::string& path, std::function<void(const QByteArray&)> show)
    : show_(std::move(show))
{
    const QString name = QString::fromStdString(path);
    QLocalServer::removeServer(name);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.setMaxPendingConnections(kMostOpenRequests);
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            if (server_.findChildren<QLocalSocket*>().size() > kMostOpenRequests) {
                Drop(socket);
                continue;
            }
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { Read(socket); });
            QTimer::singleShot(kRequestPatienceMs, socket, [socket] { Drop(socket); });
        }
    });
    server_.listen(name);
}

void ShowRequests::Read(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestRequest) {
            Drop(socket);
        }
        return;
    }
    QByteArray line = socket->readLine(kLongestRequest + 1);
    if (!line.endsWith('\n') || socket->bytesAvailable() > 0) {
        Drop(socket);
        return;
    }
    line.chop(1);
    const qsizetype space = line.indexOf(' ');
    const QByteArray word = space < 0 ? line : line.left(space);
    const QByteArray token = space < 0 ? QByteArray() : line.mid(space + 1);
    if (word != kRequest || (space >= 0 && token.isEmpty()) || !ValidToken(token)) {
        Drop(socket);
        return;
    }
    show_(token);
    socket->write(kAnswer);
    socket->disconnectFromServer();
}

bool AskToShow(const std::string& path, const QByteArray& activationToken, std::chrono::milliseconds patience)
{
    const QDeadlineTimer deadline(patience);
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(path));
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    QByteArray request = kRequest;
    if (!activationToken.isEmpty() && ValidToken(activationToken)) {
        request += ' ' + activationToken;
    }
    socket.write(request + '\n');
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    return socket.readLine(sizeof kAnswer) == kAnswer;
}

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

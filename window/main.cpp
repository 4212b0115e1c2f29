// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Falbok: starts the one window and hands it to Qt's event loop.
#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "window/qt/game_window.h"
#include "window/single_copy.h"

namespace {

// Nothing is saved, so the process simply ends here.
[[noreturn]] void EndAtOnce(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

// While Qt opens the display its messages are held back: if no display can
// be opened, the player gets one line saying so instead of Qt's abort.
struct HeldMessage {
    QString text;
    // Qt's own note that a platform in the list failed to start; it closes
    // that platform's messages.
    bool platformFailed;
};
QList<HeldMessage> heldMessages;

void HoldStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        const bool platformFailed =
            type != QtDebugMsg && context.category != nullptr && std::strcmp(context.category, "qt.qpa.plugin") == 0;
        heldMessages.append({message, platformFailed});
        return;
    }
    // The first message of each platform tried says best why it failed.
    QStringList reasons;
    QString first;
    for (const HeldMessage& held : std::as_const(heldMessages)) {
        if (first.isEmpty()) {
            first = held.text;
        }
        if (held.platformFailed) {
            reasons.append(first.simplified());
            first.clear();
        }
    }
    if (!first.isEmpty() || reasons.isEmpty()) {
        reasons.append((first.isEmpty() ? message : first).simplified());
    }
    QByteArray where;
    if (const QByteArray wayland = qgetenv("WAYLAND_DISPLAY"); !wayland.isEmpty()) {
        where = "WAYLAND_DISPLAY=" + wayland + ", ";
    }
    const QByteArray display = qgetenv("DISPLAY");
    where += "DISPLAY=" + (display.isEmpty() ? QByteArray("not set") : display);
    std::fprintf(stderr, "falbok: cannot open a display (%s): %s\n", where.constData(),
                 reasons.join(QStringLiteral("; ")).toLocal8Bit().constData());
    EndAtOnce(1);
}

// On a Wayland session the game is a Wayland client, with X11 (XWayland) as
// the fallback should the plugin be missing or the compositor refuse. Only
// WAYLAND_DISPLAY counts: a session type alone would make Qt guess a socket,
// and where no runtime directory says where a relative socket lies the
// Wayland library complains on stderr before Qt could hold it back. The
// player's own QT_QPA_PLATFORM is left alone; returns the list set, if any.
QByteArray ChoosePlatforms()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        return {};
    }
    const QByteArray socket = qgetenv("WAYLAND_DISPLAY");
    const bool reachable = !socket.isEmpty() && (socket.startsWith('/') || qgetenv("XDG_RUNTIME_DIR").startsWith('/'));
    const QByteArray platforms = reachable ? "wayland;xcb" : "xcb";
    qputenv("QT_QPA_PLATFORM", platforms);
    return platforms;
}

// After a fallback, the failed platform's messages (a socket not found, a
// connection refused, Qt's note that the plugin did not start) are no news
// to the player: everything up to Qt's last note goes.
void DropMessagesOfFailedPlatforms()
{
    for (qsizetype i = heldMessages.size(); i-- > 0;) {
        if (heldMessages[i].platformFailed) {
            heldMessages.remove(0, i + 1);
            return;
        }
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    const QByteArray platforms = ChoosePlatforms();
    const QtMessageHandler qtHandler = qInstallMessageHandler(HoldStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    if (!platforms.isEmpty()) {
        qunsetenv("QT_QPA_PLATFORM");
        if (QGuiApplication::platformName().toLatin1() != platforms.split(';').first()) {
            DropMessagesOfFailedPlatforms();
        }
    }
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(FALBOK_APP_ID));
    for (const HeldMessage& message : std::as_const(heldMessages)) {
        std::fprintf(stderr, "%s\n", qPrintable(message.text));
    }
    heldMessages.clear();
    // Qt's X11 plugin calls exit(1) when the connection to the X server
    // breaks; the process ends there at once with that status too, rather
    // than running exit handlers and destructors while Qt's threads still run.
    // (Its Wayland plugin says so in a line and calls _exit(1) by itself.)
    ::on_exit([](int status, void*) { EndAtOnce(status); }, nullptr);

    // A second start asks the running copy to show itself, then ends.
    using namespace std::chrono_literals;
    falbok::qt::GameWindow* running = nullptr;
    std::optional<falbok::SingleCopyLock> lock;
    std::optional<falbok::ShowRequests> requests;
    falbok::qt::ProcessHooks hooks{
        [&] {
            const std::string directory = falbok::LockDirectory();
            lock.emplace(directory.c_str(), "falbok.lock");
            const std::string channel = directory + "/falbok.socket";
            if (lock->state() == falbok::SingleCopyLock::State::Busy) {
                falbok::AskToShow(channel, qgetenv("XDG_ACTIVATION_TOKEN"), 1s);
                return true;
            }
            if (lock->state() == falbok::SingleCopyLock::State::Held) {
                requests.emplace(channel, [&running](const QByteArray& token) { running->BringToFront(token); });
            }
            return false;
        },
        [] { EndAtOnce(0); },
    };
    falbok::qt::GameWindow window(std::move(hooks));
    running = &window;
    window.Start();
    return QApplication::exec();
}

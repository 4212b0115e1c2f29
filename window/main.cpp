// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Falbok: starts the one window and hands it to Qt's event loop.
#include <QApplication>
#include <QByteArray>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <optional>
#include <string>

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
QStringList heldMessages;

void HoldStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg) {
        heldMessages.append(message);
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray reason = (heldMessages.isEmpty() ? message : heldMessages.first()).simplified().toLocal8Bit();
    std::fprintf(stderr, "falbok: cannot open a display (DISPLAY=%s): %s\n",
                 display.isEmpty() ? "not set" : display.constData(), reason.constData());
    EndAtOnce(1);
}

}  // namespace

int main(int argc, char* argv[])
{
    const QtMessageHandler qtHandler = qInstallMessageHandler(HoldStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(FALBOK_APP_ID));
    for (const QString& message : heldMessages) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
    heldMessages.clear();
    // Qt's X11 plugin calls exit(1) when the connection to the X server
    // breaks; the process ends there at once with that status too, rather
    // than running exit handlers and destructors while Qt's threads still run.
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
            switch (lock->state()) {
            case falbok::SingleCopyLock::State::Busy:
                falbok::AskToShow(channel, qgetenv("XDG_ACTIVATION_TOKEN"), 1s);
                return true;
            case falbok::SingleCopyLock::State::Held:
                requests.emplace(channel, [&running](const QByteArray& token) { running->BringToFront(token); });
                return false;
            case falbok::SingleCopyLock::State::Unchecked:
                return false;
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

// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The least a Qt 6 Widgets program of the game's window shape costs: a main
// window with one menu in its menu bar and an empty 265 by 370 client area.
// run.sh compares the game's start-up time and memory with this program.
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("minimal_window"));
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("Menu"));
    menu->addAction(QStringLiteral("Quit"), &app, &QApplication::quit);

    auto* client = new QWidget(&window);
    client->setFixedSize(265, 370);
    window.setCentralWidget(client);
    window.show();

    return app.exec();
}

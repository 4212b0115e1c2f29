// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The least a Qt 6 Widgets program of the game's window shape costs: a main
// window with one menu in its menu bar and a 265 by 370 client area, in
// which one tile-sized square changes between two colours on every key press
// and once a second, like the game's beat at its slowest speed. run.sh
// compares the game's start-up time, memory and key-to-pixel latency with
// this program.
#include <QApplication>
#include <QColor>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace {

class Client final : public QWidget {
public:
    Client()
    {
        setFixedSize(265, 370);
        setFocusPolicy(Qt::StrongFocus);
        beat_.setTimerType(Qt::PreciseTimer);
        connect(&beat_, &QTimer::timeout, this, &Client::Flip);
        beat_.start(1000);
    }

protected:
    void keyPressEvent(QKeyEvent*) override { Flip(); }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(kSquare, lit_ ? QColor(0xE7, 0x00, 0x00) : QColor(0x31, 0x34, 0x31));
    }

private:
    void Flip()
    {
        lit_ = !lit_;
        update(kSquare);
    }

    // Where the game's first tile lies at its default size.
    static constexpr QRect kSquare{5, 5, 18, 18};
    bool lit_ = false;
    QTimer beat_;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("minimal_window"));
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("Menu"));
    menu->addAction(QStringLiteral("Quit"), &app, &QApplication::quit);

    auto* client = new Client;
    window.setCentralWidget(client);
    window.show();
    client->setFocus();

    return app.exec();
}

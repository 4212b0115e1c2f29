// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt 6 side of the port: the game's one window. It owns the game, the
// fall timer, the 208 tile views and the menu bar built from the menu table,
// and turns Qt's events into calls of the game's handlers.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/cells.h"
#include "engine/game.h"
#include "engine/menu_items.h"
#include "engine/random_source.h"
#include "engine/toolkit.h"
#include "window/qt/key_codes.h"

class QAction;
class QKeyEvent;

namespace falbok::qt {

class PictureStore;
class TileView;

// What the window needs from the process around it. main() passes the real
// single-copy check and an immediate exit; tests pass their own.
struct ProcessHooks {
    std::function<bool()> anotherCopyRunning;
    std::function<void()> endProgram;
};

class GameWindow final : public QMainWindow, public Toolkit {
    Q_OBJECT

public:
    // The client area below the menu bar as the window is first shown.
    static constexpr int kClientWidth = 265;
    static constexpr int kClientHeight = 370;

    explicit GameWindow(ProcessHooks hooks);
    ~GameWindow() override;

    Game& game() { return game_; }
    // The area below the menu bar that holds the tiles; tile geometry is
    // relative to its top-left corner.
    QWidget* clientArea() const { return client_; }
    QAction* action(MenuItem item) const;
    TileView* tile(std::int16_t index) const;  // null before the game made it
    const QTimer& fallTimer() const { return timer_; }

    // Runs the game's start-up, then shows the window centred on its screen
    // (where the compositor puts it, on Wayland) unless start-up ended the
    // program.
    void Start();

    // Restores, raises and activates the window for a second start of the
    // game, passing on the token its launcher gave it where the platform
    // wants one for activation. The game itself is left as it is.
    void BringToFront(const QByteArray& activationToken);

    // Every key press of the window arrives here, whichever widget had it.
    void KeyPressed(const QKeyEvent& event);
    // Tile views report the pointer here.
    void TileMouseMoved(std::int16_t index);
    void TileMousePressed(std::int16_t index, Qt::MouseButton button);

    // ---- Toolkit
    void CreateTile(std::int16_t index) override;
    void SetTilePicture(std::int16_t index, std::int16_t picture) override;
    void ShowTile(std::int16_t index) override;
    void HideTile(std::int16_t index) override;
    bool PlaceTile(std::int16_t index, int left, int top, int width, int height) override;
    bool TimerEnabled() const override;
    void SetTimerEnabled(bool enabled) override;
    std::int32_t TimerInterval() const override;
    void SetTimerInterval(std::int32_t milliseconds) override;
    bool Checked(MenuItem item) const override;
    void SetChecked(MenuItem item, bool checked) override;
    void MinimizeWindow() override;
    void CloseWindow() override;
    bool AnotherCopyRunning() override;
    void EndProgram() override;
    double SecondsSinceMidnight() override;
    void SeedRandom(double seed) override;
    double Random() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildMenuBar();
    // `checkedNow` is the mark Qt has just given a checkable item by itself.
    void RunCommand(MenuItem item, bool checkedNow);

    ProcessHooks hooks_;
    Game game_{*this};
    RandomSource random_;
    KeyTranslator keys_;
    QTimer timer_;
    QWidget* client_ = nullptr;
    std::unique_ptr<PictureStore> pictures_;
    std::array<TileView*, kTiles> tiles_{};
    std::array<QAction*, kMenuItemCount> actions_{};
    bool ending_ = false;
};

}  // namespace falbok::qt

// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The game: its whole state and every procedure, in one object.
//
// Falbok is small and tightly knit: the beat calls into drawing and mouse
// following, a menu command repaints the board, every handler reads the same
// few arrays. So one class holds it all, and this header is the map. The
// definitions live in one file per topic, in the folder of their subsystem
// (engine/, view/, controls/), named in the comment over each group.
//
// State and procedures are public on purpose: they are the game's own
// vocabulary, the window calls the handlers, and the tests drive and inspect
// the procedures one by one. Nothing here includes a toolkit header; the
// outside world is reached only through the Toolkit port.
#pragma once

#include <cstdint>

#include "engine/cells.h"
#include "engine/toolkit.h"

namespace falbok {

// Windows virtual-key codes the keyboard handler knows.
namespace key {
inline constexpr std::int16_t kPause = 19;
inline constexpr std::int16_t kEscape = 27;
inline constexpr std::int16_t kSpace = 32;
inline constexpr std::int16_t kPageUp = 33;
inline constexpr std::int16_t kPageDown = 34;
inline constexpr std::int16_t kLeft = 37;
inline constexpr std::int16_t kUp = 38;
inline constexpr std::int16_t kRight = 39;
inline constexpr std::int16_t kDown = 40;
inline constexpr std::int16_t kA = 65;
inline constexpr std::int16_t kD = 68;
inline constexpr std::int16_t kP = 80;
inline constexpr std::int16_t kS = 83;
inline constexpr std::int16_t kW = 87;
inline constexpr std::int16_t kNumpadPlus = 107;
inline constexpr std::int16_t kNumpadMinus = 109;
inline constexpr std::int16_t kPlus = 187;   // = and + of the main keyboard
inline constexpr std::int16_t kMinus = 189;  // - and _ of the main keyboard
}  // namespace key

// Mouse buttons as the tile views report them.
namespace button {
inline constexpr std::int16_t kLeft = 1;
inline constexpr std::int16_t kRight = 2;
inline constexpr std::int16_t kMiddle = 4;
}  // namespace button

// Tile pictures: 1..7 are the piece colours, 8..10 the background styles.
inline constexpr std::int16_t kFirstBackgroundPicture = 8;

class Game {
public:
    explicit Game(Toolkit& toolkit) : toolkit_(toolkit) {}
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // ---- State: zero until Form_Load. Board cells run 1..200, row by row
    // from the top-left; cell k + 10 lies below cell k.
    Array1<std::int16_t, kCells> Board;      // 0 empty, 1 settled, 2 falling
    Array1<std::int16_t, kCells> CellColor;  // colour 1..7, 0 for an empty cell
    Array1<std::int16_t, kCells> CellDirty;  // 1 = tile must be redrawn
    std::int16_t CurColor = 0;               // colour of the falling piece
    std::int16_t NextColor = 0;              // colour of the previewed piece
    std::uint8_t BackStyle = 0;              // background pictures 1, 2, 3
    Array1<std::uint8_t, kColours> ColorOn;  // 1 = colour in use for new pieces
    std::int16_t TileSize = 0;               // 12, 18, 24 or 30 pixels
    std::int16_t CurKind = 0;                // kind 1..7 of the falling piece, 0 none
    std::int16_t NextKind = 0;               // kind of the previewed piece
    std::uint8_t RepeatSetting = 0;          // each new kind comes 1 + this many times
    std::uint8_t RepeatLeft = 0;             // repeats of NextKind still to come
    std::uint8_t InTurn = 0;                 // 1 = new kinds in the order 1..7
    std::int16_t Turn = 0;                   // orientation of the falling piece
    std::int16_t PivotCell = 0;              // reference cell of the falling piece
    std::int16_t GameOver = 0;               // 1 once a piece found no room
    std::int16_t WorkCell = 0;               // the cell FillCell / ClearCell act on
    std::uint8_t EscAction = 0;              // 0 nothing, 1 pause, 2 minimise, 3 close
    std::uint8_t MouseOn = 0;                // 1 = the mouse steers the piece
    std::int16_t MouseCell = 0;              // tile under the pointer at the last move

    // ---- Start-up, shutdown and the beat (engine/startup.cpp)
    void Form_Load();
    void Form_Unload();
    void tmrMain_Timer();

    // ---- New game (engine/new_game.cpp)
    void mnuNew_Click();
    void NewGame();

    // ---- Spawning and the choice of the next piece (engine/spawn.cpp)
    void SpawnPiece();
    std::uint8_t PickColor();
    std::int16_t RandomKind();

    // ---- Falling, landing and full rows (engine/fall.cpp)
    void FillCell();
    void ClearCell();
    std::int16_t CanFall();
    void ShiftDown();
    void FixPiece();
    void FixPieceAndReset();
    void StepDown();
    void DropPiece();
    void ClearLines();

    // ---- Sideways moves and rotation (engine/move_rotate.cpp)
    void MoveLeft();
    void MoveRight();
    std::int16_t CanMoveLeft();
    std::int16_t CanMoveRight();
    void ShiftLeft();
    void ShiftRight();
    void RotatePiece();
    std::int16_t CanRotate();
    void RotateKind1();
    void RotateKind2();
    void RotateKind3();
    void RotateKind5();
    void RotateKind6();
    void RotateKind7();

    // ---- Tile grid and board drawing (view/tiles.cpp)
    void CreateTiles();
    void Redraw();
    void ClearPreview();
    void HideTiles();
    void ShowTiles();
    std::int16_t BackgroundPicture() const;

    // ---- Next-piece preview (view/preview.cpp)
    void DrawNextPiece();

    // ---- Tile size and layout (view/layout.cpp); size 12, 18, 24 or 30
    void mnuSize_Click(std::int16_t size);
    void ApplyTileSize();
    void LayoutTiles();

    // ---- Background and colours (view/colours.cpp)
    void mnuBackColor_Click(std::uint8_t style);  // 1..3
    void RepaintAll();
    void mnuColors7_Click();
    void mnuColors1_Click();
    void mnuColor_Click(std::int16_t colour);  // 1..7
    void ShowColors();

    // ---- Keyboard (controls/keyboard.cpp); shift is not consulted
    void Form_KeyDown(std::int16_t keyCode, std::int16_t shift);

    // ---- Mouse (controls/mouse.cpp); index is the tile view, 1..208
    void Img_MouseMove(std::int16_t index);
    void Img_MouseDown(std::int16_t index, std::int16_t button);
    void FollowMouse();
    void mnuMouse_Click();

    // ---- Pause and the Esc binding (controls/pause_esc.cpp)
    void TogglePause();
    void mnuPause_Click();
    void DoEscAction();
    void mnuESC_Click(std::uint8_t action);  // 0..3
    void ShowEscAction();

    // ---- Fall speed (controls/speed.cpp); interval 50, 100, ..., 1000 ms
    void mnuSpeed_Click(std::int32_t interval);
    void SpeedUp();
    void SlowDown();
    void ShowSpeed();

    // ---- Order of piece kinds (controls/appearance.cpp)
    void mnuFigures_Click(std::uint8_t repeat);  // 0..2
    void mnuFiguresABC_Click();
    void ShowFigures();

private:
    // Moves the falling or settled cell at `from` to `to`, marking both dirty.
    void MoveCell(std::int16_t from, std::int16_t to);
    // Disabling then enabling the timer restarts the count of the interval.
    void RestartTimer();
    // Int(n * r) + 1 for a fresh random r: a whole number 1..n.
    std::int16_t RandomWhole(std::int16_t n);
    // The rotation step shared by RotateKind1..7.
    void RotateKind(std::int16_t kind);

    Toolkit& toolkit_;
};

}  // namespace falbok

// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Gravity, landing, the hard drop and the removal of full rows.
//
// The falling piece is not stored as a shape: it is the set of cells whose
// Board value is 2, and every procedure here works cell by cell.
#include "engine/game.h"

namespace falbok {

void Game::FillCell()
{
    Board(WorkCell) = 2;
    CellColor(WorkCell) = CurColor;
    CellDirty(WorkCell) = 1;
}

void Game::ClearCell()
{
    Board(WorkCell) = 0;
    CellColor(WorkCell) = 0;
    CellDirty(WorkCell) = 1;
}

void Game::MoveCell(std::int16_t from, std::int16_t to)
{
    Board(to) = Board(from);
    CellColor(to) = CellColor(from);
    CellDirty(to) = 1;
    Board(from) = 0;
    CellColor(from) = 0;
    CellDirty(from) = 1;
}

std::int16_t Game::CanFall()
{
    for (std::int16_t i = 1; i <= kCells - kColumns; ++i) {
        if (Board(i) == 2 && Board(i + kColumns) == 1) {
            return 0;  // a settled cell right below a falling one
        }
    }
    for (std::int16_t i = kCells - kColumns + 1; i <= kCells; ++i) {
        if (Board(i) == 2) {
            return 0;  // on the floor
        }
    }
    return 1;
}

void Game::ShiftDown()
{
    if (PivotCell > kCells - kColumns) {
        return;
    }
    PivotCell = static_cast<std::int16_t>(PivotCell + kColumns);
    // Bottom up, so every cell moves into a cell that is empty or just left.
    for (std::int16_t j = kCells - kColumns; j >= 1; --j) {
        if (Board(j) == 2) {
            MoveCell(j, static_cast<std::int16_t>(j + kColumns));
        }
    }
}

void Game::FixPiece()
{
    // A settled cell looks like a falling one: colour and flag stay.
    for (std::int16_t k = 1; k <= kCells; ++k) {
        if (Board(k) == 2) {
            Board(k) = 1;
        }
    }
}

void Game::FixPieceAndReset()
{
    PivotCell = 0;
    FixPiece();
}

void Game::StepDown()
{
    if (CanFall() == 1) {
        ShiftDown();
        Redraw();
    } else {
        // Landed. The tick that called us clears rows and spawns; after a
        // soft-drop key the next tick does.
        FixPiece();
        CurKind = 0;
    }
}

void Game::DropPiece()
{
    // After the game is over CurKind still names the piece that found no
    // room, but nothing falls: there is nothing to drop.
    if (CurKind == 0 || GameOver == 1) {
        return;
    }
    bool moved = false;  // a piece falls at most the height of the well
    for (std::int16_t row = 1; row < kRows && CanFall() == 1; ++row) {
        ShiftDown();
        moved = true;
    }
    if (!moved) {
        return;  // already resting: the next tick fixes it as usual
    }
    CurKind = 0;
    Turn = 0;
    PivotCell = 0;
    FixPieceAndReset();
    Redraw();  // one jump, drawn once
    RestartTimer();
}

void Game::ClearLines()
{
    for (std::int16_t row = 1; row <= kRows; ++row) {
        const auto s = static_cast<std::int16_t>((row - 1) * kColumns + 1);
        bool full = true;
        for (std::int16_t k = s; k < s + kColumns; ++k) {
            full = full && Board(k) == 1;  // falling cells do not count
        }
        if (!full) {
            continue;
        }
        for (std::int16_t k = s; k < s + kColumns; ++k) {
            CellDirty(k) = 1;
            CellColor(k) = 0;
            Board(k) = 0;
        }
        // Everything above moves down one row, the row just emptied first.
        for (std::int16_t k = static_cast<std::int16_t>(s - 1); k >= 1; --k) {
            if (Board(k) == 1) {
                MoveCell(k, static_cast<std::int16_t>(k + kColumns));
            }
        }
    }
}

}  // namespace falbok

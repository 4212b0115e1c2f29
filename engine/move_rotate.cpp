// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Sideways moves and quarter turns of the falling piece. Every request is
// tested first; a refused one changes and draws nothing. No wall kicks.
#include "engine/game.h"
#include "engine/shapes.h"

namespace falbok {

void Game::MoveLeft()
{
    if (CanMoveLeft() == 1) {
        ShiftLeft();
        Redraw();
    }
}

void Game::MoveRight()
{
    if (CanMoveRight() == 1) {
        ShiftRight();
        Redraw();
    }
}

std::int16_t Game::CanMoveLeft()
{
    for (std::int16_t i = 1; i <= kCells; ++i) {
        if (Board(i) != 2) {
            continue;
        }
        if (ColumnOf(i) == 1 || Board(i - 1) == 1) {
            return 0;
        }
    }
    return 1;
}

std::int16_t Game::CanMoveRight()
{
    for (std::int16_t i = kCells; i >= 1; --i) {
        if (Board(i) != 2) {
            continue;
        }
        if (ColumnOf(i) == kColumns || Board(i + 1) == 1) {
            return 0;
        }
    }
    return 1;
}

void Game::ShiftLeft()
{
    if (PivotCell < 2) {
        return;
    }
    --PivotCell;
    // Left to right, so each cell moves into one that is empty or just left.
    for (std::int16_t i = 1; i <= kCells; ++i) {
        if (ColumnOf(i) != 1 && Board(i) == 2) {
            MoveCell(i, static_cast<std::int16_t>(i - 1));
        }
    }
}

void Game::ShiftRight()
{
    if (PivotCell > kCells) {
        return;
    }
    ++PivotCell;
    for (std::int16_t i = kCells; i >= 1; --i) {
        if (ColumnOf(i) != kColumns && Board(i) == 2) {
            MoveCell(i, static_cast<std::int16_t>(i + 1));
        }
    }
}

void Game::RotatePiece()
{
    if (CanRotate() != 1) {
        return;
    }
    switch (CurKind) {
    case 1:
        RotateKind1();
        break;
    case 2:
        RotateKind2();
        break;
    case 3:
        RotateKind3();
        break;
    case 5:
        RotateKind5();
        break;
    case 6:
        RotateKind6();
        break;
    case 7:
        RotateKind7();
        break;
    default:
        break;  // the square has nothing to turn
    }
    Redraw();
}

std::int16_t Game::CanRotate()
{
    if (CurKind == 0 || PivotCell == 0) {
        return 0;
    }
    if (CurKind < 1 || CurKind > kKinds || !IsBoardCell(PivotCell)) {
        return 0;
    }
    if (kTurnCount[static_cast<std::size_t>(CurKind)] == 1) {
        return 1;
    }
    const RotationStep& step =
        kRotation[static_cast<std::size_t>(CurKind)][static_cast<std::size_t>(EffectiveTurn(CurKind, Turn))];
    const std::int16_t at = step.axis == RotationStep::Axis::Row ? RowOf(PivotCell) : ColumnOf(PivotCell);
    if (at < step.lowest || at > step.highest) {
        return 0;
    }
    for (std::int16_t i = 0; i < step.count; ++i) {
        const int cell = PivotCell + step.fill[static_cast<std::size_t>(i)];
        if (!IsBoardCell(cell) || Board(cell) != 0) {
            return 0;
        }
    }
    return 1;
}

void Game::RotateKind(std::int16_t kind)
{
    const RotationStep& step =
        kRotation[static_cast<std::size_t>(kind)][static_cast<std::size_t>(EffectiveTurn(kind, Turn))];
    Turn = step.newTurn;
    for (std::int16_t i = 0; i < step.count; ++i) {
        WorkCell = static_cast<std::int16_t>(PivotCell + step.clear[static_cast<std::size_t>(i)]);
        ClearCell();
    }
    for (std::int16_t i = 0; i < step.count; ++i) {
        WorkCell = static_cast<std::int16_t>(PivotCell + step.fill[static_cast<std::size_t>(i)]);
        FillCell();
    }
}

void Game::RotateKind1() { RotateKind(1); }
void Game::RotateKind2() { RotateKind(2); }
void Game::RotateKind3() { RotateKind(3); }
void Game::RotateKind5() { RotateKind(5); }
void Game::RotateKind6() { RotateKind(6); }
void Game::RotateKind7() { RotateKind(7); }

}  // namespace falbok

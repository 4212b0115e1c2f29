// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A game one beat in, in the state a control test needs: a red T falls with
// its pivot in cell 15 (cells 5, 14, 15, 16) and the preview shows an O.
// Over: the stack already fills the entry cells, so that T found no room.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/game.h"
#include "fake_toolkit.h"

namespace falbok::testing {

enum class State { Running, Paused, Over };

inline std::vector<int> Falling(const Game& game)
{
    std::vector<int> cells;
    for (int k = 1; k <= kCells; ++k) {
        if (game.Board(k) == 2) {
            cells.push_back(k);
        }
    }
    return cells;
}

struct Table {
    explicit Table(State state = State::Running)
    {
        game.Form_Load();
        if (state == State::Over) {
            for (std::int16_t k : {4, 5, 6, 7, 14, 15, 16, 17}) {
                game.Board(k) = 1;
                game.CellColor(k) = 2;
            }
        }
        tk.Script({0.8, 0.0, 0.5, 0.5});
        game.tmrMain_Timer();
        if (state == State::Paused) {
            game.TogglePause();
        }
        tk.ClearLog();
    }

    void Press(std::int16_t code, std::int16_t shift = 0) { game.Form_KeyDown(code, shift); }

    // Drops the falling piece, sweeps the stack away so the well never fills,
    // and lets the beat bring in the next piece; returns its kind.
    std::int16_t NextPiece()
    {
        game.DropPiece();
        for (std::int16_t k = 1; k <= kCells; ++k) {
            if (game.Board(k) == 1) {
                game.Board(k) = 0;
                game.CellColor(k) = 0;
                game.CellDirty(k) = 1;
            }
        }
        game.tmrMain_Timer();
        return game.CurKind;
    }

    std::vector<std::int16_t> Pieces(int count)
    {
        std::vector<std::int16_t> kinds;
        for (int i = 0; i < count; ++i) {
            kinds.push_back(NextPiece());
        }
        return kinds;
    }

    FakeToolkit tk;
    Game game{tk};
};

}  // namespace falbok::testing

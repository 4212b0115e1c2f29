// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The tile grid: which tiles a redraw touches and how, the preview blanking,
// hiding and showing, and the next-piece preview.
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/game.h"
#include "fake_toolkit.h"

namespace falbok {
namespace {

using testing::FakeToolkit;
using Op = FakeToolkit::Op;

// One call that changes a tile: hide, show, or set a picture.
struct Draw {
    Op op;
    int tile;
    int picture = 0;
    bool operator==(const Draw&) const = default;
};

void PrintTo(const Draw& d, std::ostream* os)
{
    const char* name = d.op == Op::HideTile ? "hide" : d.op == Op::ShowTile ? "show" : "picture";
    *os << name << "(" << d.tile << (d.op == Op::SetTilePicture ? ", " + std::to_string(d.picture) : "") << ")";
}

std::vector<Draw> DrawCalls(const FakeToolkit& tk)
{
    std::vector<Draw> out;
    for (const auto& c : tk.calls) {
        if (c.op == Op::HideTile || c.op == Op::ShowTile) {
            out.push_back({c.op, c.a});
        } else if (c.op == Op::SetTilePicture) {
            out.push_back({c.op, c.a, c.b});
        }
    }
    return out;
}

class Tiles : public ::testing::Test {
protected:
    Tiles()
    {
        game.Form_Load();  // every tile shows the dark background, no flag set
        tk.ClearLog();
    }
    FakeToolkit tk;
    Game game{tk};
};

TEST_F(Tiles, RedrawPaintsFlaggedCellsInAscendingOrderAndClearsTheirFlags)
{
    game.CellColor(150) = 0;
    game.CellDirty(150) = 1;
    game.CellColor(7) = 3;
    game.CellDirty(7) = 1;
    game.CellColor(3) = 7;
    game.CellDirty(3) = 1;
    game.CellColor(8) = 2;  // changed, but not flagged

    game.Redraw();

    const std::vector<Draw> expected{
        {Op::HideTile, 3},   {Op::SetTilePicture, 3, 7},    {Op::ShowTile, 3},
        {Op::HideTile, 7},   {Op::SetTilePicture, 7, 3},    {Op::ShowTile, 7},
        {Op::HideTile, 150}, {Op::SetTilePicture, 150, 10}, {Op::ShowTile, 150},
    };
    EXPECT_EQ(DrawCalls(tk), expected);
    EXPECT_EQ(tk.Effects(), 9u);
    for (int k = 1; k <= kCells; ++k) {
        EXPECT_EQ(game.CellDirty(k), 0) << "cell " << k;
    }

    // Nothing is left to draw, and the unflagged change never shows.
    tk.ClearLog();
    game.Redraw();
    game.Redraw();
    EXPECT_EQ(tk.Effects(), 0u);
    EXPECT_EQ(tk.At(8).picture, 10);
}

TEST_F(Tiles, EmptyCellTakesThePictureOfTheBackgroundStyle)
{
    const std::pair<std::uint8_t, std::int16_t> cases[] = {{1, 8}, {2, 9}, {3, 10}, {0, 10}, {4, 10}, {255, 10}};
    for (const auto& [style, picture] : cases) {
        game.BackStyle = style;
        game.CellDirty(42) = 1;
        game.Redraw();
        EXPECT_EQ(tk.At(42).picture, picture) << "style " << int{style};
        EXPECT_TRUE(tk.At(42).visible);
        EXPECT_EQ(game.CellDirty(42), 0);
    }
}

TEST_F(Tiles, FlagValuesOtherThanOneCountAsClean)
{
    const std::pair<std::int16_t, std::int16_t> cells[] = {{20, 2}, {21, -1}, {22, 32767}, {23, -32768}};
    for (const auto& [cell, flag] : cells) {
        game.CellColor(cell) = 4;
        game.CellDirty(cell) = flag;
    }
    game.Redraw();
    EXPECT_EQ(tk.Effects(), 0u);
    for (const auto& [cell, flag] : cells) {
        EXPECT_EQ(game.CellDirty(cell), flag);
        EXPECT_EQ(tk.At(cell).picture, 10);
    }
}

TEST_F(Tiles, RedrawNeverTouchesThePreview)
{
    for (std::int16_t k = 1; k <= kCells; ++k) {
        game.CellColor(k) = static_cast<std::int16_t>(k % 8);
        game.CellDirty(k) = 1;
    }
    tk.At(203).visible = false;
    game.Redraw();

    EXPECT_EQ(tk.Count(Op::SetTilePicture), 200u);
    for (const Draw& d : DrawCalls(tk)) {
        EXPECT_LE(d.tile, 200);
    }
    for (int k = 201; k <= 208; ++k) {
        EXPECT_EQ(tk.At(k).picture, 10);
    }
    EXPECT_FALSE(tk.At(203).visible);
    EXPECT_EQ(tk.At(9).picture, 1);
    EXPECT_EQ(tk.At(16).picture, 10);  // colour 0: background
}

TEST_F(Tiles, ClearPreviewPaintsOnlyThePreviewAndLeavesFlagsAlone)
{
    game.BackStyle = 2;
    game.CellColor(5) = 6;
    game.CellDirty(5) = 1;
    game.CellDirty(100) = 3;
    tk.At(206).visible = false;

    game.ClearPreview();

    std::vector<Draw> expected;
    for (int k = 201; k <= 208; ++k) {
        expected.push_back({Op::SetTilePicture, k, 9});
    }
    EXPECT_EQ(DrawCalls(tk), expected);
    EXPECT_EQ(tk.Effects(), 8u);
    EXPECT_EQ(game.CellDirty(5), 1);
    EXPECT_EQ(game.CellDirty(100), 3);
    EXPECT_EQ(tk.At(5).picture, 10);  // the new style reaches the board only through a redraw
    EXPECT_FALSE(tk.At(206).visible);
}

TEST_F(Tiles, AfterHideTilesOnlyRedrawnTilesAreVisible)
{
    game.HideTiles();
    for (int k = 1; k <= kTiles; ++k) {
        EXPECT_FALSE(tk.At(k).visible) << "tile " << k;
    }
    game.CellDirty(1) = 1;
    game.CellDirty(77) = 1;
    game.CellDirty(200) = 1;
    game.Redraw();
    for (int k = 1; k <= kTiles; ++k) {
        EXPECT_EQ(tk.At(k).visible, k == 1 || k == 77 || k == 200) << "tile " << k;
    }
    game.ShowTiles();
    for (int k = 1; k <= kTiles; ++k) {
        EXPECT_TRUE(tk.At(k).visible) << "tile " << k;
    }
    EXPECT_EQ(tk.Count(Op::SetTilePicture), 3u);  // hiding and showing keep the pictures
}

TEST(TileGrid, CreateTilesMakesTiles2To208Hidden)
{
    FakeToolkit tk;
    Game game{tk};
    game.CreateTiles();

    std::vector<int> created;
    for (const auto& c : tk.calls) {
        if (c.op == Op::CreateTile) {
            created.push_back(c.a);
        }
    }
    std::vector<int> expected;
    for (int k = 2; k <= 208; ++k) {
        expected.push_back(k);
    }
    EXPECT_EQ(created, expected);
    EXPECT_EQ(tk.Effects(), 207u);  // nothing shown, nothing painted
    EXPECT_FALSE(tk.At(1).created);
    for (int k = 2; k <= kTiles; ++k) {
        EXPECT_FALSE(tk.At(k).visible);
        EXPECT_EQ(tk.At(k).picture, 0);
    }
}

TEST_F(Tiles, PreviewPaintsExactlyTheFourTilesOfEachKind)
{
    constexpr std::array<int, 4> kZ{201, 202, 206, 207};
    const std::pair<std::int16_t, std::array<int, 4>> cases[] = {
        {1, {201, 202, 203, 204}},
        {2, {201, 205, 206, 207}},
        {3, {203, 205, 206, 207}},
        {4, {201, 202, 205, 206}},
        {5, {202, 203, 205, 206}},
        {6, {202, 205, 206, 207}},
        {7, kZ},
        {0, kZ},
        {8, kZ},
        {-1, kZ},
        {32767, kZ},
    };
    std::int16_t colour = 1;
    game.BackStyle = 1;
    for (const auto& [kind, painted] : cases) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        game.ClearPreview();
        game.NextKind = kind;
        game.NextColor = colour;
        tk.ClearLog();

        game.DrawNextPiece();

        std::vector<Draw> expected;
        for (int t : painted) {
            expected.push_back({Op::SetTilePicture, t, colour});
        }
        EXPECT_EQ(DrawCalls(tk), expected);
        EXPECT_EQ(tk.Effects(), 4u);
        for (int t = 201; t <= 208; ++t) {
            const bool isPiece = t == painted[0] || t == painted[1] || t == painted[2] || t == painted[3];
            EXPECT_EQ(tk.At(t).picture, isPiece ? colour : 8) << "tile " << t;
        }
        EXPECT_EQ(tk.At(208).picture, 8);
        colour = static_cast<std::int16_t>(colour % 7 + 1);
    }
}

}  // namespace
}  // namespace falbok

// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Reading the game's picture back from a screenshot of its window: find the
// client area below the menu bar, then sample the centre pixel of each of the
// 208 tiles. The centre of every picture lies in a flat area (the face of a
// piece tile, the fill of a background tile), so it survives any scaling
// filter unchanged and names the picture exactly.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace falbok::e2e {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline std::string Hex(Rgb colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.r, colour.g, colour.b);
    return text;
}

// The pixels of a whole window, row by row from its top-left corner
// (window coordinates: the menu bar is included).
struct Snapshot {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x]; }

    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

inline constexpr int kDefaultTileSize = 18;
inline constexpr int kBoardCells = 200;
inline constexpr int kPreviewSlots = 8;
inline constexpr int kFirstPreviewTile = 201;
inline constexpr int kLastTile = 208;
inline constexpr int kMargin = 5;  // window grey left of and above the board

inline constexpr Rgb kWindowGrey{0x80, 0x80, 0x80};

// The centre colour of what a tile can show with the dark background:
// index 0 the dark background fill, 1..7 the faces of the piece colours
// red, orange, yellow, green, light blue, blue, violet.
inline constexpr std::array<Rgb, 8> kTileCentres = {{
    {0x31, 0x34, 0x31},
    {0xE7, 0x00, 0x00},
    {0xE7, 0x5D, 0x00},
    {0xE7, 0xE7, 0x00},
    {0x00, 0xE7, 0x00},
    {0x5A, 0xBA, 0xE7},
    {0x00, 0x00, 0xE7},
    {0xBD, 0x00, 0xE7},
}};

// What every tile shows: 0 the dark background, 1..7 a piece colour.
struct Tiles {
    std::array<int, kBoardCells> board{};      // board[k - 1] shows cell k
    std::array<int, kPreviewSlots> preview{};  // preview[i - 201] is tile i

    int Cell(int k) const { return board[static_cast<std::size_t>(k - 1)]; }
    int Slot(int tile) const { return preview[static_cast<std::size_t>(tile - kFirstPreviewTile)]; }

    friend bool operator==(const Tiles&, const Tiles&) = default;
};

inline int RowOf(int cell) { return (cell - 1) / 10 + 1; }
inline int ColumnOf(int cell) { return (cell - 1) % 10 + 1; }
inline int CellAt(int row, int column) { return (row - 1) * 10 + column; }

// The well and the preview as text, one line per row: '.' for the
// background, the colour number for a piece cell.
inline std::string Text(const Tiles& tiles)
{
    std::ostringstream out;
    for (int row = 1; row <= 20; ++row) {
        out << (row < 10 ? " " : "") << row << " |";
        for (int column = 1; column <= 10; ++column) {
            const int colour = tiles.Cell(CellAt(row, column));
            out << (colour == 0 ? '.' : static_cast<char>('0' + colour));
        }
        out << '|';
        if (row <= 2) {
            out << "  ";
            for (int c = 0; c < 4; ++c) {
                const int colour = tiles.Slot(kFirstPreviewTile + 4 * (row - 1) + c);
                out << (colour == 0 ? '.' : static_cast<char>('0' + colour));
            }
        }
        out << '\n';
    }
    return out.str();
}

struct Point {
    int x = 0;
    int y = 0;
};

// Top-left corner of tile 1..208 in client-area coordinates.
inline Point TileOrigin(int tile, int tileSize = kDefaultTileSize)
{
    if (tile <= kBoardCells) {
        return {kMargin + tileSize * ((tile - 1) % 10), kMargin + tileSize * ((tile - 1) / 10)};
    }
    const int slot = tile - kFirstPreviewTile;
    return {10 * tileSize + 10 + tileSize * (slot % 4), kMargin + tileSize * (slot / 4)};
}

// The window row where the client area begins. Column 2 lies in the left
// margin, so from the client top down it is window grey beside the whole
// board; above tile 1 there are exactly five grey rows.
inline std::optional<int> FindClientTop(const Snapshot& shot, int tileSize = kDefaultTileSize)
{
    const int needed = kMargin + 20 * tileSize;
    const int probeX = kMargin + tileSize / 2;
    if (shot.width <= probeX) {
        return std::nullopt;
    }
    int y = 0;
    while (y + needed <= shot.height) {
        if (shot.At(2, y) != kWindowGrey) {
            ++y;
            continue;
        }
        int run = 0;
        while (y + run < shot.height && shot.At(2, y + run) == kWindowGrey) {
            ++run;
        }
        bool topMargin = run >= needed && shot.At(probeX, y + kMargin) != kWindowGrey;
        for (int dy = 0; topMargin && dy < kMargin; ++dy) {
            topMargin = shot.At(probeX, y + dy) == kWindowGrey;
        }
        if (topMargin) {
            return y;
        }
        y += run;
    }
    return std::nullopt;
}

inline constexpr int kClientWidth = 265;

// Where the client area lies in a picture of more than the game's window,
// such as a compositor's whole output: the left end of a run of window grey
// as wide as the client area and five rows deep, above a tile of known colour.
inline std::optional<Point> FindClientArea(const Snapshot& shot, int tileSize = kDefaultTileSize)
{
    const auto grey = [&](int x, int y, int width) {
        for (int column = x; column < x + width; ++column) {
            if (shot.At(column, y) != kWindowGrey) {
                return false;
            }
        }
        return true;
    };
    const int centre = kMargin + tileSize / 2;
    for (int y = 0; y + centre < shot.height; ++y) {
        for (int x = 0; x + kClientWidth <= shot.width; ++x) {
            if ((x > 0 && shot.At(x - 1, y) == kWindowGrey) || !grey(x, y, kClientWidth)) {
                continue;
            }
            bool found = std::ranges::find(kTileCentres, shot.At(x + centre, y + centre)) != kTileCentres.end();
            for (int dy = 1; found && dy < kMargin; ++dy) {
                found = grey(x, y + dy, kClientWidth);
            }
            if (found) {
                return Point{x, y};
            }
        }
    }
    return std::nullopt;
}

struct Decoded {
    std::optional<Tiles> tiles;
    int clientTop = 0;
    int clientLeft = 0;
    std::string error;  // why `tiles` is empty
};

// Names the picture of every tile by its centre pixel. Fails on the first
// few tiles whose centre is none of the eight expected colours. The client
// area is sought at the picture's left edge first, then anywhere in it.
inline Decoded DecodeTiles(const Snapshot& shot, int tileSize = kDefaultTileSize)
{
    Decoded result;
    std::optional<int> top = FindClientTop(shot, tileSize);
    if (!top) {
        if (const std::optional<Point> area = FindClientArea(shot, tileSize)) {
            top = area->y;
            result.clientLeft = area->x;
        }
    }
    if (!top) {
        result.error = "no client area: no run of " + Hex(kWindowGrey) + " in column 2 of the " +
                       std::to_string(shot.width) + "x" + std::to_string(shot.height) +
                       " picture that leads to tile 1 after five rows, nor one as wide as the client area";
        return result;
    }
    result.clientTop = *top;
    Tiles tiles;
    std::ostringstream errors;
    int bad = 0;
    for (int tile = 1; tile <= kLastTile; ++tile) {
        const Point origin = TileOrigin(tile, tileSize);
        const int x = result.clientLeft + origin.x + tileSize / 2;
        const int y = *top + origin.y + tileSize / 2;
        if (x >= shot.width || y >= shot.height) {
            errors << "tile " << tile << ": centre (" << x << ", " << y << ") lies outside the window\n";
            if (++bad == 5) {
                break;
            }
            continue;
        }
        const Rgb colour = shot.At(x, y);
        int picture = -1;
        for (int p = 0; p < static_cast<int>(kTileCentres.size()); ++p) {
            if (kTileCentres[static_cast<std::size_t>(p)] == colour) {
                picture = p;
            }
        }
        if (picture < 0) {
            errors << "tile " << tile << ": centre pixel (" << x << ", " << y << ") of the window is " << Hex(colour)
                   << ", which is neither the dark background nor a piece colour\n";
            if (++bad == 5) {
                break;
            }
            continue;
        }
        if (tile <= kBoardCells) {
            tiles.board[static_cast<std::size_t>(tile - 1)] = picture;
        } else {
            tiles.preview[static_cast<std::size_t>(tile - kFirstPreviewTile)] = picture;
        }
    }
    if (bad > 0) {
        result.error = "client area from window row " + std::to_string(*top) + ":\n" + errors.str();
        return result;
    }
    result.tiles = tiles;
    return result;
}

// Writes the snapshot as a binary PPM picture.
inline bool WritePpm(const Snapshot& shot, const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", shot.width, shot.height);
    bool ok = true;
    for (const Rgb& pixel : shot.pixels) {
        const unsigned char bytes[3] = {pixel.r, pixel.g, pixel.b};
        ok = ok && std::fwrite(bytes, 1, 3, file) == 3;
    }
    return std::fclose(file) == 0 && ok;
}

}  // namespace falbok::e2e

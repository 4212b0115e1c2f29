// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window/pictures.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace falbok::pictures {
namespace {

// The six tones of a bevelled piece tile, lit from the top right.
struct Bevel {
    Rgb face;
    Rgb light;      // frame above the diagonal
    Rgb dark;       // frame below the diagonal
    Rgb blend;      // frame pixels on the diagonal
    Rgb topLine;    // innermost row of the top band, over the face
    Rgb rightLine;  // rightmost column of the face
};

// The fainter second shading that some piece tiles carry.
struct Shading {
    bool present;
    Rgb leftLine;   // innermost column of the left band, beside the face
    Rgb bottomRow;  // bottom row of the face, left of the right line
    Rgb corner;     // where the bottom row meets the right line
};

constexpr std::array<Bevel, 7> kBevels{{
    {0xE70000, 0xE75D5A, 0xBD0000, 0xD63031, 0xE75152, 0xE70C08},  // red
    {0xE75D00, 0xE78A29, 0xBD5D00, 0xD67518, 0xE78629, 0xE76100},  // orange
    {0xE7E700, 0xE7E78C, 0xE7BA00, 0xE7D34A, 0xE7E77B, 0xE7E710},  // yellow
    {0x00E700, 0x5AE75A, 0x00BA00, 0x31D331, 0x52E752, 0x08E708},  // green
    {0x5ABAE7, 0x8CE7E7, 0x298ABD, 0x63BED6, 0x84E3E7, 0x63BEE7},  // light blue
    {0x0000E7, 0x5A5DE7, 0x0000BD, 0x3130D6, 0x5251E7, 0x080CE7},  // blue
    {0xBD00E7, 0xBD5DE7, 0x8C00BD, 0xA530D6, 0xBD51E7, 0xBD0CE7},  // violet
}};

constexpr std::array<Shading, 7> kShadings{{
    {false, 0, 0, 0},
    {false, 0, 0, 0},
    {true, 0xE7BE00, 0xE7E300, 0xE7E310},
    {true, 0x00BE00, 0x00E300, 0x08E308},
    {true, 0x318EBD, 0x52B2E7, 0x5ABAE7},
    {false, 0, 0, 0},
    {true, 0x8C00BD, 0xB500E7, 0xB50CE7},  // the left line keeps the dark tone
}};

// A flat fill inside a frame of the given width (0: no frame).
struct Plain {
    Rgb fill;
    Rgb frame;
    int frameWidth;
};

constexpr std::array<Plain, 3> kBackgrounds{{
    {0xC6C3C6, 0xC6C3C6, 0},  // no background
    {0xE7FFFF, 0xCEEFFF, 2},  // light
    {0x313431, 0x393C39, 1},  // dark
}};

// The face is 4 <= x, y <= 31; the 4-pixel frame around it is split along
// the diagonal x == y.
Rgb BevelTone(const Bevel& b, const Shading& s, int x, int y)
{
    constexpr int kFirst = 4;
    constexpr int kLast = 31;
    const bool onFace = x >= kFirst && x <= kLast && y >= kFirst && y <= kLast;
    if (onFace) {
        if (s.present && y == kLast) {
            return x == kLast ? s.corner : s.bottomRow;
        }
        return x == kLast ? b.rightLine : b.face;
    }
    if (x == y) {
        return b.blend;
    }
    if (x > y) {
        return y == kFirst - 1 && x <= kLast ? b.topLine : b.light;
    }
    return s.present && x == kFirst - 1 && y <= kLast ? s.leftLine : b.dark;
}

Rgb PlainTone(const Plain& p, int x, int y)
{
    const int lo = p.frameWidth;
    const int hi = kPictureSize - 1 - p.frameWidth;
    const bool inside = x >= lo && x <= hi && y >= lo && y <= hi;
    return inside ? p.fill : p.frame;
}

Picture Draw(int picture)
{
    Picture out;
    const auto i = static_cast<std::size_t>(picture - 1);
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            out.pixels[static_cast<std::size_t>(y * kPictureSize + x)] =
                i < kBevels.size() ? BevelTone(kBevels[i], kShadings[i], x, y)
                                   : PlainTone(kBackgrounds[i - kBevels.size()], x, y);
        }
    }
    return out;
}

// The icon is drawn on a grid of 3 by 3 whole tiles.
constexpr int kIconCells = 3;

// The red Z resting on the bottom: the upper pair at the left, the lower
// pair one tile to the right.
bool IsZCell(int row, int col) { return (row == 1 && col <= 1) || (row == 2 && col >= 1); }

Rgb IconSourcePixel(int x, int y)
{
    const int picture = IsZCell(y / kPictureSize, x / kPictureSize) ? 1 : 10;
    return TilePicture(picture).At(x % kPictureSize, y % kPictureSize);
}

// The source column (or row) of 108 drawn into icon pixel i of `size`. Each
// tile keeps its outermost pixels, so the grid lines and the bevel's edges
// survive at every size; the inside is sampled at pixel centres.
int IconSourceCoordinate(int i, int size)
{
    const int cell = i * kIconCells / size;
    const int first = (cell * size + kIconCells - 1) / kIconCells;
    const int count = ((cell + 1) * size + kIconCells - 1) / kIconCells - first;
    const int j = i - first;
    int inTile = (2 * j + 1) * kPictureSize / (2 * count);
    if (j == 0) {
        inTile = 0;
    } else if (j == count - 1) {
        inTile = kPictureSize - 1;
    }
    return cell * kPictureSize + inTile;
}

}  // namespace

const Picture& TilePicture(int picture)
{
    assert(picture >= 1 && picture <= kPictureCount);
    static const std::array<Picture, kPictureCount> all = [] {
        std::array<Picture, kPictureCount> pictures;
        for (int k = 1; k <= kPictureCount; ++k) {
            pictures[static_cast<std::size_t>(k - 1)] = Draw(k);
        }
        return pictures;
    }();
    return all[static_cast<std::size_t>(picture - 1)];
}

IconImage Icon(int size)
{
    assert(std::find(kIconSizes.begin(), kIconSizes.end(), size) != kIconSizes.end());
    IconImage icon;
    icon.size = size;
    icon.indices.reserve(static_cast<std::size_t>(size * size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Rgb colour = IconSourcePixel(IconSourceCoordinate(x, size), IconSourceCoordinate(y, size));
            auto found = std::find(icon.palette.begin(), icon.palette.end(), colour);
            if (found == icon.palette.end()) {
                assert(icon.palette.size() < 256);
                found = icon.palette.insert(icon.palette.end(), colour);
            }
            icon.indices.push_back(static_cast<std::uint8_t>(found - icon.palette.begin()));
        }
    }
    return icon;
}

}  // namespace falbok::pictures

// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The ten tile pictures and the window icon, drawn from their rules in plain
// C++ so that they can be checked pixel by pixel without any toolkit. The Qt
// side wraps each one in a pixmap once; tiles share those pixmaps.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace falbok::pictures {

// Colours are 0xRRGGBB; every picture is fully opaque.
using Rgb = std::uint32_t;

inline constexpr int kPictureSize = 36;   // every tile picture is 36 by 36
inline constexpr int kPictureCount = 10;  // 1..7 piece colours, 8..10 backgrounds

struct Picture {
    std::array<Rgb, kPictureSize * kPictureSize> pixels{};  // row by row from the top-left

    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y * kPictureSize + x)]; }
};

// Picture 1..10, built on first use and kept for the life of the program.
const Picture& TilePicture(int picture);

// The window icon comes in these sizes, largest first.
inline constexpr std::array<int, 4> kIconSizes{48, 32, 24, 16};

// One image of the icon: square, opaque, at most 256 colours from a palette.
struct IconImage {
    int size = 0;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> indices;  // size * size entries into palette, row by row

    Rgb At(int x, int y) const { return palette[indices[static_cast<std::size_t>(y * size + x)]]; }
};

// The icon at one of kIconSizes: a red Z of four bevelled tiles resting on
// the dark background grid.
IconImage Icon(int size);

}  // namespace falbok::pictures

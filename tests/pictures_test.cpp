// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The ten tile pictures and the window icon, checked pixel by pixel against
// the colours and areas they are drawn from.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>
#include <string>

#include "window/pictures.h"

namespace falbok::pictures {
namespace {

// The tones of one piece tile, written out by hand.
struct PieceTones {
    Rgb face;
    Rgb light;
    Rgb dark;
    Rgb blend;
    Rgb topLine;
    Rgb rightLine;
    bool shaded;
    Rgb leftLine;   // x = 3, y = 4..31 (shaded tiles only)
    Rgb bottomRow;  // y = 31, x = 4..30 (shaded tiles only)
    Rgb corner;     // x = 31, y = 31 (shaded tiles only)
};

const std::array<PieceTones, 7> kTiles{{
    {0xE70000, 0xE75D5A, 0xBD0000, 0xD63031, 0xE75152, 0xE70C08, false, 0, 0, 0},
    {0xE75D00, 0xE78A29, 0xBD5D00, 0xD67518, 0xE78629, 0xE76100, false, 0, 0, 0},
    {0xE7E700, 0xE7E78C, 0xE7BA00, 0xE7D34A, 0xE7E77B, 0xE7E710, true, 0xE7BE00, 0xE7E300, 0xE7E310},
    {0x00E700, 0x5AE75A, 0x00BA00, 0x31D331, 0x52E752, 0x08E708, true, 0x00BE00, 0x00E300, 0x08E308},
    {0x5ABAE7, 0x8CE7E7, 0x298ABD, 0x63BED6, 0x84E3E7, 0x63BEE7, true, 0x318EBD, 0x52B2E7, 0x5ABAE7},
    {0x0000E7, 0x5A5DE7, 0x0000BD, 0x3130D6, 0x5251E7, 0x080CE7, false, 0, 0, 0},
    {0xBD00E7, 0xBD5DE7, 0x8C00BD, 0xA530D6, 0xBD51E7, 0xBD0CE7, true, 0x8C00BD, 0xB500E7, 0xB50CE7},
}};

std::string Hex(Rgb c)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out = "#";
    for (int shift = 20; shift >= 0; shift -= 4) {
        out += digits[(c >> shift) & 0xF];
    }
    return out;
}

struct Probe {
    int x;
    int y;
    Rgb want;
};

void ExpectPixels(int picture, std::initializer_list<Probe> probes)
{
    const Picture& p = TilePicture(picture);
    for (const Probe& pr : probes) {
        EXPECT_EQ(Hex(p.At(pr.x, pr.y)), Hex(pr.want))
            << "picture " << picture << " pixel (" << pr.x << ", " << pr.y << ")";
    }
}

std::map<std::string, int> Areas(const Picture& p)
{
    std::map<std::string, int> out;
    for (Rgb c : p.pixels) {
        ++out[Hex(c)];
    }
    return out;
}

TEST(PiecePictures, CornersAreBlendLightDarkBlend)
{
    for (int k = 1; k <= 7; ++k) {
        const PieceTones& t = kTiles[static_cast<std::size_t>(k - 1)];
        ExpectPixels(k, {{0, 0, t.blend}, {35, 0, t.light}, {0, 35, t.dark}, {35, 35, t.blend}});
    }
}

TEST(PiecePictures, FrameIsSplitAlongTheDiagonal)
{
    for (int k = 1; k <= 7; ++k) {
        const PieceTones& t = kTiles[static_cast<std::size_t>(k - 1)];
        ExpectPixels(k, {
                            // the diagonal through both corners, and its neighbours
                            {1, 1, t.blend},
                            {2, 2, t.blend},
                            {3, 3, t.blend},
                            {32, 32, t.blend},
                            {33, 33, t.blend},
                            {34, 34, t.blend},
                            {1, 0, t.light},
                            {0, 1, t.dark},
                            {3, 2, t.light},
                            {2, 3, t.dark},
                            {33, 32, t.light},
                            {32, 33, t.dark},
                            {35, 34, t.light},
                            {34, 35, t.dark},
                            // one point of each band, and the bands beside the face
                            {18, 1, t.light},
                            {33, 18, t.light},
                            {1, 18, t.dark},
                            {18, 34, t.dark},
                            {32, 4, t.light},
                            {32, 31, t.light},
                            {4, 32, t.dark},
                            {31, 32, t.dark},
                            {18, 2, t.light},
                            {2, 18, t.dark},
                            {18, 32, t.dark},
                        });
    }
}

TEST(PiecePictures, TopLineRightLineAndFace)
{
    for (int k = 1; k <= 7; ++k) {
        const PieceTones& t = kTiles[static_cast<std::size_t>(k - 1)];
        ExpectPixels(k, {
                            {4, 3, t.topLine},
                            {18, 3, t.topLine},
                            {31, 3, t.topLine},
                            {32, 3, t.light},
                            {3, 3, t.blend},
                            {31, 4, t.rightLine},
                            {31, 18, t.rightLine},
                            {31, 30, t.rightLine},
                            {4, 4, t.face},
                            {18, 18, t.face},
                            {30, 30, t.face},
                            {30, 4, t.face},
                            {4, 30, t.face},
                        });
    }
}

TEST(PiecePictures, SecondShadingOnlyOnTilesThreeFourFiveSeven)
{
    for (int k = 1; k <= 7; ++k) {
        const PieceTones& t = kTiles[static_cast<std::size_t>(k - 1)];
        const Rgb left = t.shaded ? t.leftLine : t.dark;
        const Rgb bottom = t.shaded ? t.bottomRow : t.face;
        const Rgb corner = t.shaded ? t.corner : t.rightLine;
        ExpectPixels(k, {
                            {3, 4, left},
                            {3, 18, left},
                            {3, 31, left},
                            {3, 32, t.dark},
                            {2, 18, t.dark},
                            {4, 31, bottom},
                            {18, 31, bottom},
                            {30, 31, bottom},
                            {18, 30, t.face},
                            {18, 32, t.dark},
                            {31, 31, corner},
                        });
    }
    // The plain tiles keep the dark tone all across the left band.
    ExpectPixels(1, {{3, 18, 0xBD0000}});
    ExpectPixels(2, {{3, 18, 0xBD5D00}});
    ExpectPixels(6, {{3, 18, 0x0000BD}});
}

// Every pixel belongs to exactly one tone; adding up the areas catches any
// stray pixel that the probes above miss.
TEST(PiecePictures, ToneAreasCoverEveryPixel)
{
    for (int k = 1; k <= 7; ++k) {
        SCOPED_TRACE("picture " + std::to_string(k));
        const PieceTones& t = kTiles[static_cast<std::size_t>(k - 1)];
        std::map<std::string, int> want;
        want[Hex(t.blend)] += 8;
        want[Hex(t.light)] += 224;
        want[Hex(t.topLine)] += 28;
        if (t.shaded) {
            want[Hex(t.face)] += 27 * 27;
            want[Hex(t.rightLine)] += 27;
            want[Hex(t.bottomRow)] += 27;
            want[Hex(t.corner)] += 1;
            want[Hex(t.dark)] += 224;
            want[Hex(t.leftLine)] += 28;
        } else {
            want[Hex(t.face)] += 27 * 28;
            want[Hex(t.rightLine)] += 28;
            want[Hex(t.dark)] += 252;
        }
        EXPECT_EQ(Areas(TilePicture(k)), want);
    }
}

TEST(BackgroundPictures, NoBackgroundIsOneFlatGrey)
{
    const std::map<std::string, int> want{{"#C6C3C6", 36 * 36}};
    EXPECT_EQ(Areas(TilePicture(8)), want);
}

TEST(BackgroundPictures, LightHasATwoPixelFrame)
{
    const Rgb fill = 0xE7FFFF;
    const Rgb frame = 0xCEEFFF;
    ExpectPixels(9, {
                        {0, 0, frame},
                        {1, 1, frame},
                        {2, 2, fill},
                        {33, 33, fill},
                        {34, 34, frame},
                        {35, 35, frame},
                        {1, 18, frame},
                        {2, 18, fill},
                        {33, 18, fill},
                        {34, 18, frame},
                        {18, 1, frame},
                        {18, 2, fill},
                        {18, 33, fill},
                        {18, 34, frame},
                        {35, 0, frame},
                        {0, 35, frame},
                        {18, 18, fill},
                    });
    const std::map<std::string, int> want{{"#E7FFFF", 32 * 32}, {"#CEEFFF", 36 * 36 - 32 * 32}};
    EXPECT_EQ(Areas(TilePicture(9)), want);
}

TEST(BackgroundPictures, DarkHasAOnePixelOutline)
{
    const Rgb fill = 0x313431;
    const Rgb outline = 0x393C39;
    ExpectPixels(10, {
                         {0, 0, outline},
                         {1, 1, fill},
                         {34, 34, fill},
                         {35, 35, outline},
                         {0, 18, outline},
                         {1, 18, fill},
                         {34, 18, fill},
                         {35, 18, outline},
                         {18, 0, outline},
                         {18, 1, fill},
                         {18, 34, fill},
                         {18, 35, outline},
                         {35, 0, outline},
                         {0, 35, outline},
                         {18, 18, fill},
                     });
    const std::map<std::string, int> want{{"#313431", 34 * 34}, {"#393C39", 36 * 36 - 34 * 34}};
    EXPECT_EQ(Areas(TilePicture(10)), want);
}

TEST(AllPictures, AreOpaqueTwentyFourBitAndBuiltOnce)
{
    for (int k = 1; k <= kPictureCount; ++k) {
        const Picture& p = TilePicture(k);
        const bool within = std::all_of(p.pixels.begin(), p.pixels.end(), [](Rgb c) { return c <= 0xFFFFFF; });
        EXPECT_TRUE(within) << "picture " << k << " has bits above 24";
        EXPECT_EQ(&TilePicture(k), &p) << "picture " << k << " is built again";
    }
}

// Colours of the red piece tile and of the dark background.
const std::set<Rgb> kRed{0xE70000, 0xE75D5A, 0xBD0000, 0xD63031, 0xE75152, 0xE70C08};
const std::set<Rgb> kDark{0x313431, 0x393C39};

TEST(IconImages, IndicesStayInsideAPaletteOfDistinctColours)
{
    for (int size : {48, 32, 24, 16}) {
        SCOPED_TRACE("icon " + std::to_string(size));
        const IconImage icon = Icon(size);
        EXPECT_EQ(icon.size, size);
        ASSERT_EQ(icon.indices.size(), static_cast<std::size_t>(size * size));
        ASSERT_FALSE(icon.palette.empty());
        EXPECT_LE(icon.palette.size(), 256U);
        const std::set<Rgb> distinct(icon.palette.begin(), icon.palette.end());
        EXPECT_EQ(distinct.size(), icon.palette.size()) << "palette repeats a colour";
        for (Rgb c : icon.palette) {
            EXPECT_TRUE(kRed.count(c) == 1 || kDark.count(c) == 1) << "unexpected colour " << Hex(c);
        }
        // The palette lists the colours in the order they first appear, and
        // every one of them is used.
        std::size_t seen = 0;
        for (std::uint8_t i : icon.indices) {
            ASSERT_LT(i, icon.palette.size());
            ASSERT_LE(i, seen) << "palette entry " << int{i} << " used before an earlier one";
            if (i == seen) {
                ++seen;
            }
        }
        EXPECT_EQ(seen, icon.palette.size()) << "palette holds unused colours";
    }
}

TEST(IconImages, RedZRestsOnTheDarkGrid)
{
    // Cells counted from the top-left; the Z takes the left pair of the
    // middle row and the right pair of the bottom row.
    const bool z[3][3] = {{false, false, false}, {true, true, false}, {false, true, true}};
    for (int size : {48, 32, 24, 16}) {
        const IconImage icon = Icon(size);
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                SCOPED_TRACE("icon " + std::to_string(size) + " cell row " + std::to_string(row) + " col " +
                             std::to_string(col));
                const int cx = (2 * col + 1) * size / 6;
                const int cy = (2 * row + 1) * size / 6;
                EXPECT_EQ(Hex(icon.At(cx, cy)), z[row][col] ? "#E70000" : "#313431");
                // Every pixel lying wholly inside the cell is a tone of its tile.
                for (int y = 0; y < size; ++y) {
                    for (int x = 0; x < size; ++x) {
                        const bool inside = 3 * x >= col * size && 3 * (x + 1) <= (col + 1) * size &&
                                            3 * y >= row * size && 3 * (y + 1) <= (row + 1) * size;
                        if (inside) {
                            const std::set<Rgb>& tones = z[row][col] ? kRed : kDark;
                            EXPECT_EQ(tones.count(icon.At(x, y)), 1U)
                                << "pixel (" << x << ", " << y << ") is " << Hex(icon.At(x, y));
                        }
                    }
                }
            }
        }
    }
}

TEST(IconImages, LargestIconShowsTheBevel)
{
    // At 48 pixels the first tile of the Z spans x 0..15, y 16..31 and shows
    // its top-left corner, top band, left band and face.
    const IconImage icon = Icon(48);
    EXPECT_EQ(Hex(icon.At(0, 16)), "#D63031");
    EXPECT_EQ(Hex(icon.At(8, 16)), "#E75D5A");
    EXPECT_EQ(Hex(icon.At(0, 24)), "#BD0000");
    EXPECT_EQ(Hex(icon.At(8, 24)), "#E70000");
    // The bottom-right corner of the icon is the last tile's bottom-right corner.
    EXPECT_EQ(Hex(icon.At(47, 47)), "#D63031");
}

}  // namespace
}  // namespace falbok::pictures

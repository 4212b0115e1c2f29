// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include <array>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/random_source.h"

namespace {

using falbok::RandomSource;

TEST(RandomSource, DrawsStayInTheUnitIntervalAndPickEveryKind)
{
    RandomSource random;
    random.Seed(12345.5);
    std::array<int, 9> kinds{};
    for (int i = 0; i < 200000; ++i) {
        const double r = random.Next();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        const int kind = static_cast<int>(std::floor(7 * r)) + 1;
        ASSERT_GE(kind, 1);
        ASSERT_LE(kind, 7);
        ++kinds[static_cast<std::size_t>(kind)];
    }
    for (int kind = 1; kind <= 7; ++kind) {
        EXPECT_GT(kinds[static_cast<std::size_t>(kind)], 20000) << "kind " << kind;
    }
}

TEST(RandomSource, SameSeedSameSequenceOtherSeedOtherSequence)
{
    RandomSource a;
    RandomSource b;
    RandomSource c;
    a.Seed(100.25);
    b.Seed(100.25);
    c.Seed(100.5);
    int differences = 0;
    for (int i = 0; i < 1000; ++i) {
        const double x = a.Next();
        EXPECT_EQ(x, b.Next()) << "draw " << i;
        differences += x != c.Next();
    }
    // Two starts within the same second must not play the same game.
    EXPECT_GT(differences, 990);

    // Seeding again starts the sequence again.
    a.Seed(100.25);
    RandomSource d;
    d.Seed(100.25);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(a.Next(), d.Next());
    }
}

TEST(RandomSource, AnySeedIsAccepted)
{
    const double seeds[] = {
        std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        -86399.999,
        1e300,
        0.0,
    };
    for (double seed : seeds) {
        SCOPED_TRACE(seed);
        RandomSource random;
        random.Seed(seed);
        for (int i = 0; i < 1000; ++i) {
            const double r = random.Next();
            ASSERT_TRUE(r >= 0.0 && r < 1.0) << r;
        }
    }
}

}  // namespace

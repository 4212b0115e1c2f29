// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The game's random numbers: uniform in [0, 1), seeded from the clock.
#pragma once

#include <cstdint>
#include <random>

namespace falbok {

class RandomSource {
public:
    void Seed(double seconds);
    // 53 random bits scaled by 2^-53: the largest value is 1 - 2^-53, so
    // Int(n * r) + 1 can never reach n + 1.
    double Next();

private:
    std::mt19937_64 engine_{0};
};

}  // namespace falbok

// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/random_source.h"

#include <cmath>

namespace falbok {

void RandomSource::Seed(double seconds)
{
    // Keep the fraction of the second so that two starts within the same
    // second still play different games.
    const double micro = std::isfinite(seconds) ? std::fabs(seconds) * 1e6 : 0.0;
    engine_.seed(static_cast<std::uint64_t>(std::fmod(micro, 18446744073709551616.0)));
}

double RandomSource::Next()
{
    constexpr double kScale = 1.0 / 9007199254740992.0;  // 2^-53
    return static_cast<double>(engine_() >> 11) * kScale;
}

}  // namespace falbok

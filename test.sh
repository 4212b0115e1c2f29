#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds Falbok and runs the whole test suite on a Debian 12 machine:
# installs what is missing, then a release build that gives the benchmarks a
# short smoke run, a build with AddressSanitizer and UndefinedBehaviorSanitizer
# running every test, and a checked build running every test once more, the
# end-to-end tests under Xvfb among them. Warnings are errors throughout.
set -euo pipefail
cd "$(dirname "$0")"

scripts/ensure-packages.sh cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev \
    qt6-base-dev libxkbcommon-dev qt6-wayland fonts-dejavu-core xvfb xauth xdotool x11-xkb-utils libx11-dev libxtst-dev \
    libxdamage-dev weston desktop-file-utils appstream dpkg-dev file openbox lintian reuse

jobs=$(nproc)
configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DFALBOK_WERROR=ON "$@"
    cmake --build "$dir" -j"$jobs"
}

echo "== release build: benchmarks, smoke run"
configure_and_build build/release -DCMAKE_BUILD_TYPE=Release -DFALBOK_TESTS=OFF
if [ -x build/release/bench/game_bench ]; then
    build/release/bench/game_bench --benchmark_min_time=0.01 >/dev/null
fi

echo "== sanitizer build: address and undefined behaviour"
configure_and_build build/sanitize -DCMAKE_BUILD_TYPE=Debug -DFALBOK_SANITIZE=ON -DFALBOK_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

echo "== checked build"
configure_and_build build/check -DCMAKE_BUILD_TYPE=Debug -DFALBOK_BENCH=OFF
ctest --test-dir build/check --output-on-failure -j"$jobs"

#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Renews docs/screenshot.png, the picture in the README: the end-to-end test
# plays a few pieces in the real window under Xvfb and saves what it shows.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh cmake make g++ libgtest-dev libgmock-dev qt6-base-dev fonts-dejavu-core \
    xvfb xauth libx11-dev libxtst-dev

cmake -S . -B build/screenshot -DCMAKE_BUILD_TYPE=Release -DFALBOK_BENCH=OFF >/dev/null
cmake --build build/screenshot -j"$(nproc)" --target falbok e2e_tests
FALBOK_SCREENSHOT="$PWD/docs/screenshot.png" xvfb-run -a -s "-screen 0 1280x1024x24" \
    build/screenshot/tests/e2e/e2e_tests --gtest_filter=EndToEnd.ScreenshotOfAGameInPlay

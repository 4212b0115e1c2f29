#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds Falbok on a Debian 12 desktop, installing what is missing, and
# starts the game.
set -euo pipefail
cd "$(dirname "$0")"

scripts/ensure-packages.sh cmake make g++ qt6-base-dev libxkbcommon-dev qt6-wayland

cmake -S . -B build/play -DCMAKE_BUILD_TYPE=Release -DFALBOK_TESTS=OFF -DFALBOK_BENCH=OFF >/dev/null
cmake --build build/play -j"$(nproc)" --target falbok
exec build/play/falbok

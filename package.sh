#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package of Falbok on a Debian 12 machine, installing what
# is missing: build/package/falbok_<version>_<architecture>.deb
set -euo pipefail
cd "$(dirname "$0")"

scripts/ensure-packages.sh cmake make g++ qt6-base-dev libxkbcommon-dev dpkg-dev file

cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DFALBOK_TESTS=OFF -DFALBOK_BENCH=OFF >/dev/null
cmake --build build/package -j"$(nproc)"
cd build/package
cpack -G DEB

#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package of Falbok on a Debian 12 machine, installing what
# is missing: build/package/falbok_<version>_<architecture>.deb
# Two runs from the same sources give the same bytes, wherever they lie: every
# time in the package is SOURCE_DATE_EPOCH, taken from the environment, else
# from the last commit, else (sources without their history) from the date of
# the newest release in NEWS.
set -euo pipefail
cd "$(dirname "$0")"

scripts/ensure-packages.sh cmake make g++ qt6-base-dev libxkbcommon-dev dpkg-dev file

if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    from="the environment"
elif [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    from="the last commit"
else
    SOURCE_DATE_EPOCH=$(awk -v want=epoch -f dist/news.awk NEWS)
    from="the newest release in NEWS"
fi
export SOURCE_DATE_EPOCH
echo "SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T') UTC), from $from"

# Debian's hardening flags, and -ffile-prefix-map, which keeps the path of
# this folder out of the program. CMake reads no CPPFLAGS, so they join the
# compiler flags.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

# The members of the .deb archive take their rights from the umask.
umask 022
cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DFALBOK_TESTS=OFF -DFALBOK_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build/package -j"$(nproc)"
cd build/package
cpack -G DEB

#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Started where no display can be opened, the game says so in one line on
# standard error and exits with status 1: no abort, no core, no Qt dump.
# Usage: no_display_test.sh path/to/falbok
set -uo pipefail
game=$1
failed=0

check() {
    local what=$1
    shift
    local err status
    err=$(mktemp)
    env "$@" "$game" 2>"$err" >/dev/null </dev/null
    status=$?
    local lines
    lines=$(wc -l <"$err")
    if [ "$status" -ne 1 ]; then
        echo "FAIL ($what): exit status $status, expected 1"
        failed=1
    fi
    if [ "$lines" -ne 1 ] || ! grep -q '^falbok: .*display' "$err"; then
        echo "FAIL ($what): expected one line naming the display, got $lines:"
        cat "$err"
        failed=1
    fi
    rm -f "$err"
}

runtime=$(mktemp -d)
check "DISPLAY not set" -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime"
check "no server on the display" -u WAYLAND_DISPLAY DISPLAY=:97 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime"
check "a platform that does not exist" QT_QPA_PLATFORM=nowhere XDG_RUNTIME_DIR="$runtime"
rmdir "$runtime"
exit $failed

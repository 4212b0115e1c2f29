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

# check WHAT PATTERN ENV...: PATTERN must follow "falbok: " in the line.
check() {
    local what=$1 pattern=$2
    shift 2
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
    if [ "$lines" -ne 1 ] || ! grep -q "^falbok: .*$pattern" "$err"; then
        echo "FAIL ($what): expected one line with \"$pattern\", got $lines:"
        cat "$err"
        failed=1
    fi
    rm -f "$err"
}

runtime=$(mktemp -d)
check "DISPLAY not set" display -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime"
check "no server on the display" display -u WAYLAND_DISPLAY DISPLAY=:97 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime"
check "a platform that does not exist" display QT_QPA_PLATFORM=nowhere XDG_RUNTIME_DIR="$runtime"
# Left to choose, the game tries the compositor first, then X.
check "no compositor, no X server" "(WAYLAND_DISPLAY=falbok-none, DISPLAY=:97): .*; " \
    -u QT_QPA_PLATFORM WAYLAND_DISPLAY=falbok-none DISPLAY=:97 XDG_RUNTIME_DIR="$runtime"
# Without a runtime directory a relative socket cannot be found; not even
# the Wayland library may say so on its own.
check "a socket but no runtime directory" display -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR WAYLAND_DISPLAY=wayland-0 DISPLAY=:97
rmdir "$runtime"
exit $failed

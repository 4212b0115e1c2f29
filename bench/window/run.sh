#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The window benchmark: start-up time, peak memory and key-to-pixel latency
# of the game against a minimal Qt 6 window of the same shape, then the CPU
# the game uses while it is paused and after the game is over. Everything
# runs on a private Xvfb.
#
#   bench/window/run.sh <build-dir> [runs]      (runs of each program, default 10)
#
# Goals: start-up game/minimal <= 1.15, peak memory game/minimal <= 1.20,
# median key-to-pixel latency game/minimal <= 1.20 (at least 40 timed key
# presses of each), no CPU tick in 10 s paused and in 10 s after the game is
# over. Exit status: 0 all goals met, 1 a goal missed, 2 the benchmark could
# not run.
# FALBOK_GAME and FALBOK_MINIMAL override the two programs (e.g. to try the
# script with minimal_window in both roles).
set -euo pipefail
export LC_ALL=C

readonly startup_goal=1.15
readonly memory_goal=1.20
readonly latency_goal=1.20
readonly slowest_interval=1000
readonly idle_seconds=10

die() {
    echo "run.sh: $*" >&2
    exit 2
}

[[ $# -ge 1 && $# -le 2 ]] || die "usage: $0 <build-dir> [runs, default 10]"
[[ -d $1 ]] || die "no build directory '$1'"
build=$(cd "$1" && pwd)
runs=${2:-10}
[[ $runs =~ ^[1-9][0-9]*$ ]] || die "runs must be a positive number, not '$runs'"
# Timed key presses in every counted run of each program: 40 or more in all.
presses=$(((40 + runs - 1) / runs))

game=${FALBOK_GAME:-$build/falbok}
minimal=${FALBOK_MINIMAL:-$build/bench/window/minimal_window}
probe=$build/bench/window/window_probe
for tool in Xvfb xdotool awk; do
    command -v "$tool" >/dev/null || die "'$tool' is not installed (Debian: xvfb, xdotool)"
done
for program in "$game" "$minimal" "$probe"; do
    [[ -x $program ]] || die "missing $program; build it first:
    cmake --build $build --target falbok minimal_window window_probe"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/falbok-window-bench.XXXXXX")
app_log=$work/app.log
xvfb_pid=""
app_pid=""

cleanup() {
    local pid
    for pid in $app_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "run.sh: interrupted" >&2; exit 2' INT TERM HUP

show_log() {
    if [[ -s $app_log ]]; then
        echo "---- last lines the programs printed:" >&2
        tail -n 20 "$app_log" >&2
    fi
}

# ---- the X server: our own Xvfb on a display it picks itself

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    grep -qx '[0-9][0-9]*' "$work/display" 2>/dev/null && break
    kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb did not start: $(tail -n 5 "$work/xvfb.log")"
    sleep 0.1
done
grep -qx '[0-9][0-9]*' "$work/display" || die "Xvfb gave no display within 10 s"
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
unset XAUTHORITY

# ---- one program at a time

# launch PROGRAM: starts it with a private runtime directory (the game lets
# one copy run per runtime directory) and waits for its window to be mapped.
# Sets app_pid, app_window, app_ms (milliseconds from spawn to mapped) and
# app_cpu_ms (CPU milliseconds all its threads had used when it was mapped).
launch() {
    local runtime start out mapped
    runtime=$(mktemp -d "$work/runtime.XXXXXX")
    chmod 700 "$runtime"
    start=$EPOCHREALTIME
    XDG_RUNTIME_DIR=$runtime "$1" >>"$app_log" 2>&1 &
    app_pid=$!
    if ! out=$("$probe" wait "$app_pid" 20000); then
        show_log
        die "$1 showed no window within 20 s"
    fi
    read -r app_window mapped app_cpu_ms <<<"$out"
    app_ms=$(awk -v a="$start" -v b="$mapped" 'BEGIN { printf "%.1f", (b - a) * 1000 }')
}

stop_app() {
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
}

require_alive() {
    kill -0 "$app_pid" 2>/dev/null && return 0
    show_log
    die "$1 ended by itself while it was being measured"
}

# Peak resident memory so far, in KiB.
peak_kib() {
    awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"
}

# User plus system CPU time of the whole process (all threads), in clock ticks.
cpu_ticks() {
    local stat
    stat=$(<"/proc/$1/stat")
    stat=${stat##*) }
    awk '{ print $12 + $13 }' <<<"$stat"
}

# look: what the game window shows; sets look_sum, look_board, look_preview.
look() {
    local out
    out=$("$probe" look "$app_window") || die "cannot read the pixels of the game window"
    look_sum=$(awk '$1 == "sum" { print $2 }' <<<"$out")
    look_board=$(awk '$1 == "board" { print $2 }' <<<"$out")
    look_preview=$(awk '$1 == "preview" { print $2 }' <<<"$out")
}

# game_state: running (the picture changes within two beats), over (it stands
# still and the preview is blank) or paused (it stands still with a piece in
# the preview); unknown for anything else.
game_state() {
    local first
    look
    first=$look_sum
    sleep 0.8
    look
    if [[ $look_sum != "$first" ]]; then
        echo running
    elif [[ $look_preview == "........" ]]; then
        echo over
    elif [[ $look_preview =~ [1-7] ]]; then
        echo paused
    else
        echo unknown
    fi
}

# Under Xvfb there is no window manager to give the window the keyboard: put
# the pointer on it and focus it by hand, then send keys with XTEST.
focus_app() {
    xdotool mousemove --window "$app_window" 130 200
    timeout 5 xdotool windowfocus --sync "$app_window" || echo "note: focusing the window timed out"
}

# key_latency WHO: times key presses in the program just launched, with the
# pointer over the board, each press 50 ms after a beat; the game first goes
# to its slowest speed (Page Down until it stops), the minimal window beats
# once a second anyway. Sets key_ms (the times in ms, space-separated) and
# key_beat (ms between beats).
key_latency() {
    local out
    focus_app
    if [[ $1 == game ]]; then
        xdotool key --delay 20 $(printf 'Next %.0s' {1..19})
    fi
    out=$("$probe" keys "$app_window" "$presses") || {
        show_log
        die "could not time key presses in the $1 window"
    }
    key_ms=$(awk '$1 == "press" { printf "%s ", $2 }' <<<"$out")
    key_beat=$(awk '$1 == "beat" { print $2 }' <<<"$out")
}

# CPU time of all threads in nanoseconds, from the scheduler's exact count.
cpu_ns() {
    { cat "/proc/$1"/task/*/schedstat 2>/dev/null || true; } | awk '{ s += $1 } END { printf "%.0f\n", s }'
}

# Context switches of all threads: every wake-up of an idle thread is one.
switches() {
    { cat "/proc/$1"/task/*/status 2>/dev/null || true; } | awk '/ctxt_switches/ { s += $2 } END { print s + 0 }'
}

# What the game uses in the next idle_seconds: "ticks CPU-ms wake-ups".
idle_span() {
    local ticks ns wakes
    ticks=$(cpu_ticks "$app_pid") ns=$(cpu_ns "$app_pid") wakes=$(switches "$app_pid")
    sleep "$idle_seconds"
    require_alive game
    echo "$(($(cpu_ticks "$app_pid") - ticks))" \
        "$(awk -v a="$ns" -v b="$(cpu_ns "$app_pid")" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')" \
        "$(($(switches "$app_pid") - wakes))"
}

median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
        END { printf "%.1f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Median and 90th percentile (nearest rank) of key-press times, 3 decimals.
median_ms() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
        END { printf "%.3f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
p90_ms() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { r = int(0.9 * NR); if (r < 0.9 * NR) r++; printf "%.3f\n", v[r] }'
}

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

echo "display $DISPLAY, $runs runs of each program (plus one warm-up run each, not counted)," \
    "$presses timed key presses in each counted run"
echo "game:    $game"
echo "minimal: $minimal"

# ---- start-up time, peak memory and key latency, the two programs alternating

game_ms=() minimal_ms=() game_cpu=() minimal_cpu=() game_kib=() minimal_kib=()
game_keys=() minimal_keys=() beats=()
for ((run = 0; run <= runs; run++)); do
    if ((run % 2)); then order=(game minimal); else order=(minimal game); fi
    line=""
    for who in "${order[@]}"; do
        if [[ $who == game ]]; then program=$game; else program=$minimal; fi
        launch "$program"
        sleep 1
        require_alive "$who"
        kib=$(peak_kib "$app_pid")
        line+=$(printf '  %-7s %6.1f ms (CPU %5.1f) %5.1f MiB' "$who" "$app_ms" "$app_cpu_ms" \
            "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')")
        if ((run == 0)); then
            stop_app
            continue
        fi
        key_latency "$who"
        require_alive "$who"
        stop_app
        read -ra pressed <<<"$key_ms"
        line+=$(printf ' key %5.2f ms' "$(median_ms "${pressed[@]}")")
        if [[ $who == game ]]; then
            game_ms+=("$app_ms") game_cpu+=("$app_cpu_ms") game_kib+=("$kib") game_keys+=("${pressed[@]}")
            beats+=("$key_beat")
        else
            minimal_ms+=("$app_ms") minimal_cpu+=("$app_cpu_ms") minimal_kib+=("$kib") minimal_keys+=("${pressed[@]}")
        fi
    done
    if ((run == 0)); then echo "warm-up$line"; else printf 'run %2d %s\n' "$run" "$line"; fi
done

# ---- CPU while paused (with the running game as a reference)

echo "idle check: the game running, then paused with P (${idle_seconds} s each)"
launch "$game"
sleep 1
require_alive game
focus_app
state=$(game_state)
[[ $state == running ]] || echo "note: after start-up the game looks $state, not running"
read -r running_ticks running_cpu running_wakes <<<"$(idle_span)"
xdotool key p
sleep 0.3
paused_state=$(game_state)
read -r paused_ticks paused_cpu paused_wakes <<<"$(idle_span)"
stop_app

# ---- CPU after the game is over

echo "game-over check: drops in the middle until the well is full, then ${idle_seconds} s"
launch "$game"
sleep 0.5
require_alive game
focus_app
drops=0
over_state=unknown
while ((drops < 200)); do
    xdotool key space
    drops=$((drops + 1))
    sleep 0.1
    if ((drops % 10 == 0)); then
        look
        if [[ $look_preview == "........" ]]; then
            over_state=$(game_state)
            [[ $over_state == over ]] && break
        fi
    fi
done
filled=$(tr -cd '1-7' <<<"$look_board" | wc -c)
read -r over_ticks over_cpu over_wakes <<<"$(idle_span)"
stop_app

# ---- the verdict

startup_game=$(median "${game_ms[@]}")
startup_minimal=$(median "${minimal_ms[@]}")
fastest_game=$(printf '%s\n' "${game_ms[@]}" | sort -g | head -n 1)
fastest_minimal=$(printf '%s\n' "${minimal_ms[@]}" | sort -g | head -n 1)
cpu_game=$(median "${game_cpu[@]}")
cpu_minimal=$(median "${minimal_cpu[@]}")
memory_game=$(median "${game_kib[@]}")
memory_minimal=$(median "${minimal_kib[@]}")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
within() { awk -v r="$1" -v g="$2" 'BEGIN { exit !(r <= g) }'; }
verdict() { if within "$1" "$2"; then echo ok; else echo FAIL; fi; }
startup_ratio=$(ratio "$startup_game" "$startup_minimal")
memory_ratio=$(ratio "$memory_game" "$memory_minimal")
key_game=$(median_ms "${game_keys[@]}")
key_minimal=$(median_ms "${minimal_keys[@]}")
key_ratio=$(ratio "$key_game" "$key_minimal")
beat=$(median "${beats[@]}")

row() { printf '%-26s %9s %9s %7s %7s  %s\n' "$@"; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
idle_row() {
    printf '  %-24s %9s %9s %9s %8s  %s\n' "$@"
}
echo
row "median of $runs runs" game minimal ratio goal ""
row "start-up to mapped (ms)" "$startup_game" "$startup_minimal" "$startup_ratio" "<=$startup_goal" \
    "$(verdict "$startup_ratio" "$startup_goal")"
row "  fastest run (ms)" "$fastest_game" "$fastest_minimal" "$(ratio "$fastest_game" "$fastest_minimal")" - reference
row "  CPU used to mapped (ms)" "$cpu_game" "$cpu_minimal" "$(ratio "$cpu_game" "$cpu_minimal")" - reference
row "peak memory VmHWM (MiB)" "$(mib "$memory_game")" "$(mib "$memory_minimal")" "$memory_ratio" "<=$memory_goal" \
    "$(verdict "$memory_ratio" "$memory_goal")"
row "key to pixels median (ms)" "$key_game" "$key_minimal" "$key_ratio" "<=$latency_goal" \
    "$(verdict "$key_ratio" "$latency_goal") (${#game_keys[@]} and ${#minimal_keys[@]} presses)"
row "  90th percentile (ms)" "$(p90_ms "${game_keys[@]}")" "$(p90_ms "${minimal_keys[@]}")" \
    "$(ratio "$(p90_ms "${game_keys[@]}")" "$(p90_ms "${minimal_keys[@]}")")" - \
    "reference (the game beating every $beat ms)"
echo
echo "the game over ${idle_seconds} s (one tick = 1/$(getconf CLK_TCK) s):"
idle_row "" "CPU ticks" "CPU ms" "wake-ups" goal ""
idle_row "running" "$running_ticks" "$running_cpu" "$running_wakes" - "reference"
idle_row "paused (P)" "$paused_ticks" "$paused_cpu" "$paused_wakes" "0 ticks" \
    "$(if [[ $paused_ticks == 0 ]]; then echo ok; else echo FAIL; fi) (seen: $paused_state)"
idle_row "over" "$over_ticks" "$over_cpu" "$over_wakes" "0 ticks" \
    "$(if [[ $over_ticks == 0 ]]; then echo ok; else echo FAIL; fi) (seen: $over_state after $drops drops, $filled cells filled)"
echo

within "$startup_ratio" "$startup_goal" || fail "start-up takes $startup_ratio times as long as the minimal window's (goal <= $startup_goal)"
within "$memory_ratio" "$memory_goal" || fail "peak memory is $memory_ratio times the minimal window's (goal <= $memory_goal)"
within "$key_ratio" "$latency_goal" ||
    fail "a key press takes $key_ratio times as long to reach the screen as in the minimal window (goal <= $latency_goal)"
awk -v b="$beat" -v s="$slowest_interval" 'BEGIN { exit !(b >= 0.95 * s && b <= 1.05 * s) }' ||
    fail "the game beat every $beat ms, not every $slowest_interval ms: the key times were not taken at the slowest speed"
[[ $paused_state == paused ]] || fail "after P the game was $paused_state, not paused: the paused figure means nothing"
[[ $paused_ticks == 0 ]] || fail "the paused game used $paused_ticks CPU ticks in $idle_seconds s (goal 0)"
[[ $over_state == over ]] || fail "the game did not end after $drops drops (state: $over_state): the game-over figure means nothing"
[[ $over_ticks == 0 ]] || fail "the finished game used $over_ticks CPU ticks in $idle_seconds s (goal 0)"

if ((failed)); then
    echo "some goals missed"
    exit 1
fi
echo "all goals met"

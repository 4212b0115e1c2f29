#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# What `cmake --install` and the Debian package put on a machine: the program
# in bin/ or, in the package, in /usr/games, a desktop entry that validates
# and starts it, the icon at every size exactly as the window draws it, valid
# AppStream metadata, a clean manual page, and package dependencies that come
# from the program's real library needs. The package passes lintian, agrees
# with NEWS and the REUSE data, and comes out the same when packed again.
# Usage: install_test.sh SOURCE_DIR BUILD_DIR ICON_CHECK MAKE_ICONS
set -uo pipefail
source=$1
build=$2
iconCheck=$3
makeIcons=$4
appId=org.falbok.Falbok
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
# As package.sh does; the date of the newest release keeps the test's own
# packages from depending on the clock.
SOURCE_DATE_EPOCH=$(awk -v want=epoch -f "$source/dist/news.awk" "$source/NEWS") || exit 1
export SOURCE_DATE_EPOCH

fail() {
    echo "FAIL: $*"
    failed=1
}

# The tree under PREFIX holds everything a desktop needs, the program in
# PROGRAM_DIR and in no other folder.
check_tree() {
    local what=$1 prefix=$2 programDir=$3
    local desktop=$prefix/share/applications/$appId.desktop
    local metainfo=$prefix/share/metainfo/$appId.metainfo.xml
    local manual=$prefix/share/man/man6/falbok.6.gz
    [ -x "$prefix/$programDir/falbok" ] || fail "$what: $programDir/falbok missing or not executable"
    [ "$(find "$prefix" -name falbok -type f | wc -l)" = 1 ] || fail "$what: more than one program"
    # As lintian reads it; groff's complaints come on standard error.
    LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" 2>&1 >/dev/null | grep . &&
        fail "$what: the manual page does not read cleanly"
    desktop-file-validate "$desktop" || fail "$what: desktop entry does not validate"
    appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
        { cat "$work/appstream.log"; fail "$what: AppStream metadata does not validate"; }
    # The entry starts the installed program and names the installed icon.
    local exec icon
    exec=$(sed -n 's/^Exec=//p' "$desktop")
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ "$exec" = falbok ] || fail "$what: Exec is '$exec'"
    [ "$icon" = "$appId" ] || fail "$what: Icon is '$icon'"
    "$iconCheck" "$prefix/share/icons/hicolor" "$icon" || fail "$what: icon files differ from the window's icon"
    grep -q "<launchable type=\"desktop-id\">$appId.desktop</launchable>" "$metainfo" ||
        fail "$what: metadata does not name the desktop entry"
    grep -q '<image[^>]*>https://[^<]*/screenshot.png</image>' "$metainfo" ||
        fail "$what: metadata has no screenshot"
    grep -q '<p>' "$metainfo" || fail "$what: no English description"
    grep -q '<p xml:lang="ru">' "$metainfo" || fail "$what: no Russian description"
}

echo "== cmake --install"
cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install failed"
check_tree "installed tree" "$work/prefix" bin

echo "== Debian package"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    fail "cpack failed"
else
    deb=$(ls "$work"/package/*.deb)
    dpkg-deb -x "$deb" "$work/root" || fail "the package does not unpack"
    check_tree "package" "$work/root/usr" games
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    names=" $(echo "$depends" | sed 's/([^)]*)//g; s/,/ /g') "
    # Each library the program asks for by name, by the Debian package that
    # holds it (with merged /usr, dpkg knows a file by one of two paths).
    for needed in $(objdump -p "$work/root/usr/games/falbok" | awk '$1 == "NEEDED" {print $2}'); do
        path=$(ldd "$work/root/usr/games/falbok" | awk -v lib="$needed" '$1 == lib {print $3}')
        owner=$({ dpkg -S "$path" || dpkg -S "/usr${path#/usr}" || dpkg -S "${path#/usr}"; } 2>/dev/null | head -1 | cut -d: -f1)
        case $owner in
        libasan* | libubsan*) continue ;; # sanitizer runtimes of a test build
        "") fail "no package holds $needed ($path)" ;;
        *) [[ $names == *" $owner "* ]] || fail "package needs $owner (for $needed)" ;;
        esac
    done
    # Qt loads its X11 display plugin at run time, which no link shows: the
    # package that holds it must come along too.
    plugin=$(dpkg -S 'platforms/libqxcb.so' 2>/dev/null | head -1 | cut -d: -f1)
    [[ -n $plugin && $names == *" $plugin "* ]] || fail "no dependency brings Qt's X11 display plugin (${plugin:-not found})"
    # Every dependency is a real package of this distribution.
    for package in $names; do
        dpkg-query -W "$package" >/dev/null 2>&1 || apt-cache show "$package" >/dev/null 2>&1 ||
            fail "dependency '$package' is not a known package"
    done
    if ldd "$work/root/usr/games/falbok" | grep -q 'not found'; then
        fail "the packaged program misses libraries"
    fi
    [[ " $(dpkg-deb -f "$deb" Recommends) " == *" qt6-wayland "* ]] || fail "qt6-wayland is not recommended"

    lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian finds faults in the package"

    # One version everywhere: CMake's, which the package has, and NEWS's.
    versions=$(
        dpkg-deb -f "$deb" Version
        awk -v want=version -f "$source/dist/news.awk" "$source/NEWS"
        zcat "$work/root/usr/share/doc/falbok/changelog.gz" | sed -n '1s/^falbok (\(.*\)).*/\1/p'
        grep -m1 -o '<release version="[^"]*"' "$work/root/usr/share/metainfo/$appId.metainfo.xml" | cut -d'"' -f2
        zcat "$work/root/usr/share/man/man6/falbok.6.gz" | sed -n 's/^\.TH .*"Falbok \([^"]*\)".*/\1/p'
    )
    echo "Versions (package, NEWS, changelog, AppStream, manual):" $versions
    [ "$(echo "$versions" | sort -u | wc -l)" = 1 ] && [ "$(echo "$versions" | wc -l)" = 5 ] ||
        fail "the versions disagree"

    # The copyright file says what the REUSE data says: the same project,
    # contact and holders, and exactly the licences in LICENSES/, each with
    # its own paragraph.
    copyright=$work/root/usr/share/doc/falbok/copyright
    facts='^(Upstream-Name|Upstream-Contact|Copyright):'
    diff <(grep -E "$facts" "$source/.reuse/dep5" | sort -u) <(grep -E "$facts" "$copyright" | sort -u) ||
        fail "the copyright file and .reuse/dep5 disagree"
    licences=$(cd "$source/LICENSES" && ls | sed 's/\.txt$//')
    inFiles=$(awk 'BEGIN { RS = "" } /^Files:/ { for (i = 1; i < NF; i++) if ($i == "License:") print $(i + 1) }' \
        "$copyright" | sort -u)
    withText=$(awk 'BEGIN { RS = "" } /^License:/ { print $2 }' "$copyright" | sort)
    [ "$inFiles" = "$licences" ] && [ "$withText" = "$licences" ] ||
        fail "licences: LICENSES/ has" $licences "; files under" $inFiles "; texts for" $withText

    echo "== the package again, later, elsewhere, under another umask"
    # Nothing of the clock, the folder or the umask gets into the package
    # (only the rights of the archive's members follow the umask, which
    # package.sh sets); neither path gets into any file but a test build's
    # program, whose sanitizer and assertion messages name its sources.
    (umask 002 && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/again" >/dev/null 2>&1)
    for member in debian-binary control.tar.gz data.tar.gz; do
        cmp <(ar p "$deb" $member) <(ar p "$work/again/$(basename "$deb")" $member) ||
            fail "$member differs from one build to the next"
    done
    grep -rlF -e "$source" -e "$build" -e "$work" "$work/root" | grep -v '/games/falbok$' &&
        fail "packaged files hold build paths"
    "$makeIcons" "$work/icons" "$appId" && diff -r "$build/dist/icons" "$work/icons" ||
        fail "the icon files differ from one writing to the next"
fi

exit $failed

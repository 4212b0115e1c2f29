# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Reads NEWS, the one list of releases, and prints what -v want= asks for.
# NEWS holds, newest first, per release a heading "VERSION (YYYY-MM-DD)" and
# bullets "- text", whose text goes on in lines indented by two spaces; blank
# lines are free. Lines stay within 78 characters, so that the Debian
# changelog, which indents them by two more, stays within 80.
#   want=version    the newest version
#   want=date       its date
#   want=epoch      midnight UTC of that date, in seconds since 1970
#   want=releases   AppStream <release> elements
#   want=changelog  a Debian changelog; needs -v package=NAME and
#                   -v maintainer="NAME <ADDRESS>"
# Plain POSIX awk: Debian's mawk runs it at build time.

function fail(message) {
    printf "%s:%d: %s\n", FILENAME, FNR, message > "/dev/stderr"
    failed = 1
    exit 1
}

# Days from 1970-01-01 to the given day of the Gregorian calendar, counting
# years from March so that the leap day comes last.
function days(y, m, d) {
    if (m <= 2) {
        y--
        m += 12
    }
    return 365 * y + int(y / 4) - int(y / 100) + int(y / 400) + int((153 * (m - 3) + 2) / 5) + d - 1 - 719468
}

function xml(text) {
    gsub(/&/, "\\&amp;", text)
    gsub(/</, "\\&lt;", text)
    gsub(/>/, "\\&gt;", text)
    return text
}

# Ends the bullet being read.
function end_item() {
    if (item != "") {
        items[releases, ++count[releases]] = item
        item = ""
    }
}

BEGIN {
    split("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec", months, " ")
    split("Thu Fri Sat Sun Mon Tue Wed", weekdays, " ")
    releases = 0
}

length($0) > 78 { fail("longer than 78 characters") }

/^[0-9]+\.[0-9]+\.[0-9]+ \([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]\)$/ {
    end_item()
    releases++
    version[releases] = $1
    date[releases] = substr($2, 2, 10)
    split(date[releases], ymd, "-")
    if (ymd[2] < 1 || ymd[2] > 12 || ymd[3] < 1 || ymd[3] > 31) {
        fail("no such date: " date[releases])
    }
    day[releases] = days(ymd[1] + 0, ymd[2] + 0, ymd[3] + 0)
    if (releases > 1 && day[releases] > day[releases - 1]) {
        fail("releases must come newest first")
    }
    changelogDate[releases] = sprintf("%s, %s %s %s 00:00:00 +0000", weekdays[day[releases] % 7 + 1],
                                      ymd[3], months[ymd[2] + 0], ymd[1])
    next
}

/^- / {
    if (releases == 0) {
        fail("a bullet before the first release heading")
    }
    end_item()
    item = substr($0, 3)
    lines[releases, count[releases] + 1, ++lineCount[releases, count[releases] + 1]] = item
    next
}

/^  [^ ]/ {
    if (item == "") {
        fail("a continuation line outside a bullet")
    }
    item = item " " substr($0, 3)
    lines[releases, count[releases] + 1, ++lineCount[releases, count[releases] + 1]] = substr($0, 3)
    next
}

/^$/ {
    end_item()
    next
}

{ fail("neither a release heading \"VERSION (YYYY-MM-DD)\", a bullet \"- \" nor its continuation") }

END {
    if (failed) {
        exit 1
    }
    end_item()
    if (releases == 0) {
        printf "%s: no release\n", FILENAME > "/dev/stderr"
        exit 1
    }
    for (r = 1; r <= releases; r++) {
        if (count[r] == 0) {
            printf "%s: release %s says nothing\n", FILENAME, version[r] > "/dev/stderr"
            exit 1
        }
    }
    if (want == "version") {
        print version[1]
    } else if (want == "date") {
        print date[1]
    } else if (want == "epoch") {
        print day[1] * 86400
    } else if (want == "releases") {
        for (r = 1; r <= releases; r++) {
            printf "    <release version=\"%s\" date=\"%s\">\n", version[r], date[r]
            print "      <description>"
            print "        <ul>"
            for (i = 1; i <= count[r]; i++) {
                printf "          <li>%s</li>\n", xml(items[r, i])
            }
            print "        </ul>"
            print "      </description>"
            print "    </release>"
        }
    } else if (want == "changelog") {
        if (package == "" || maintainer == "") {
            print "news.awk: want=changelog needs package and maintainer" > "/dev/stderr"
            exit 1
        }
        for (r = 1; r <= releases; r++) {
            if (r > 1) {
                print ""
            }
            printf "%s (%s) unstable; urgency=medium\n\n", package, version[r]
            for (i = 1; i <= count[r]; i++) {
                for (l = 1; l <= lineCount[r, i]; l++) {
                    printf "%s%s\n", l == 1 ? "  * " : "    ", lines[r, i, l]
                }
            }
            printf "\n -- %s  %s\n", maintainer, changelogDate[r]
        }
    } else {
        printf "news.awk: want=%s is none of version, date, epoch, releases, changelog\n", want > "/dev/stderr"
        exit 1
    }
}

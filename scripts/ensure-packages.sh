#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The Falbok developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian packages named as arguments, unless all are present.
# Runs apt through sudo when not root. Usage: scripts/ensure-packages.sh PKG...
set -euo pipefail

missing=()
for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"

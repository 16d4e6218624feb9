#!/bin/bash
# Installs what building and testing VELDLG needs on Debian 12, and nothing
# that is already there. Also tries 32-bit Wine, which the i686 tests need;
# when the mirror cannot supply it, the i686 build is still checked from its
# files (scripts/test.sh says which happened).
set -euo pipefail

packages=(wine wine64 libwine-dev fonts-wine xvfb cmake ninja-build
          g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools googletest
          clang-tidy cppcheck)
packages+=("$@")

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
    echo "-- installing: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

# 32-bit Wine: one attempt per machine, remembered in a marker file.
marker=/var/tmp/veldlg-wine32-attempted
if ! installed wine32:i386 && [ ! -e "$marker" ]; then
    echo "-- trying 32-bit Wine (wine32:i386)"
    if as_root dpkg --add-architecture i386 && as_root apt-get update -q &&
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q wine32:i386; then
        echo "-- 32-bit Wine installed"
    else
        echo "-- 32-bit Wine cannot be installed here; i686 tests will not run"
        # Leave apt as it was: no half-enabled architecture.
        installed wine32:i386 || as_root dpkg --remove-architecture i386 2>/dev/null || true
        as_root apt-get update -q >/dev/null 2>&1 || true
    fi
    as_root touch "$marker" 2>/dev/null || true
fi

#!/bin/bash
# Installs what building and testing VELDLG needs on Debian 12, and nothing
# that is already there. Also tries 32-bit Wine, which the i686 tests need,
# and keeps it only where it runs (scripts/test.sh says which happened).
set -euo pipefail

packages=(wine wine64 libwine-dev fonts-wine xvfb cmake ninja-build
          g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools googletest
          clang-tidy cppcheck wixl msitools zip)

# One attempt at 32-bit Wine per machine; the file says how it ended.
wine32_marker=/var/tmp/veldlg-wine32-attempted
# Starts a 32-bit process: the loader that Debian's wine runs first once
# wine32 is installed.
wine32_check=(/usr/lib/wine/wine --version)

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Every installed package, sorted, one a line.
installed_list() {
    dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | awk '$1 == "ii" { print $2 }' | sort
}

# Keeps 32-bit Wine only if it is installed and the check command starts.
# Otherwise purges every package not in the list taken before (a file),
# removes the i386 architecture when the attempt added it ("added"), and
# brings apt's lists back: a 32-bit Wine that cannot run makes every wine
# call fail, the 64-bit ones included. Prints the outcome, which it also
# returns (0: kept).
wine32_settle() { # packages-before-file, added|kept, check command...
    local before=$1 arch=$2
    shift 2
    if installed wine32:i386 && "$@" >/dev/null 2>&1; then
        echo "32-bit Wine installed and runs"
        return 0
    fi
    local reason="could not be installed"
    installed wine32:i386 && reason="was installed but cannot start a 32-bit process ($*), so it was removed again"
    local added
    mapfile -t added < <(comm -13 "$before" <(installed_list))
    if [ ${#added[@]} -gt 0 ]; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q "${added[@]}" >/dev/null
    fi
    if [ "$arch" = added ]; then as_root dpkg --remove-architecture i386; fi
    as_root apt-get update -q >/dev/null
    echo "32-bit Wine $reason"
    return 1
}

install_wine32() {
    local before arch=kept outcome
    before=$(mktemp)
    installed_list >"$before"
    if installed wine32:i386; then
        # Installed earlier (by hand or before this check existed): keep it
        # only if it runs; the i386 packages went with it.
        grep -v ':i386$' "$before" >"$before.new" && mv "$before.new" "$before"
        arch=added
    elif [ ! -e "$wine32_marker" ]; then
        echo "-- trying 32-bit Wine (wine32:i386)"
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            as_root dpkg --add-architecture i386
            arch=added
        fi
        as_root apt-get update -q >/dev/null &&
            as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q wine32:i386 >/dev/null || true
    else
        rm -f "$before"
        return 0
    fi
    outcome=$(wine32_settle "$before" "$arch" "${wine32_check[@]}") || true
    rm -f "$before"
    echo "-- $outcome"
    echo "$outcome" | as_root tee "$wine32_marker" >/dev/null || true
}

main() {
    packages+=("$@")
    local missing=() p
    for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "-- installing: ${missing[*]}"
        as_root apt-get update -q
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    fi
    install_wine32
}

# Sourcing the script only defines its functions (wine32_settle takes stand-ins for its commands).
if [ "${BASH_SOURCE[0]}" = "$0" ]; then main "$@"; fi

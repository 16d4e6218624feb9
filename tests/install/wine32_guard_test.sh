#!/bin/bash
# setup.sh's guard of 32-bit Wine, with stand-ins for dpkg, apt and the check:
# what it removes and what it says in each case.
set -uo pipefail
. "$(dirname "$0")/../../scripts/setup.sh"
set +e

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\n' cmake wine64 >"$work/before"
as_root() { echo "$*" >>"$work/log"; }
installed() { grep -qx "$1" <<<"$now"; }
installed_list() { sort <<<"$now"; }

failures=0
# installed after the attempt | check | i386 | exit | commands run as root | output
while IFS='|' read -r added check arch code expected said; do
    now=$(tr ' ' '\n' <<<"cmake wine64 $added")
    : >"$work/log"
    out=$(wine32_settle "$work/before" "$arch" $check)
    got=$?
    ran=$(sed 's/^env DEBIAN_FRONTEND=noninteractive //' "$work/log" | paste -sd ';')
    if [ "$got" != "$code" ] || [ "$ran" != "$expected" ] || [[ "$out" != *"$said"* ]]; then
        echo "not ok: [$added] $check $arch: exit $got, ran '$ran', said '$out'; expected $code, '$expected', '$said'"
        failures=$((failures + 1))
    fi
done <<'CASES'
libwine:i386 wine32:i386|true|added|0||installed and runs
libwine:i386 wine32:i386|false|added|1|apt-get purge -y -q libwine:i386 wine32:i386;dpkg --remove-architecture i386;apt-get update -q|cannot start a 32-bit process (false)
libwine:i386 wine32:i386|false|kept|1|apt-get purge -y -q libwine:i386 wine32:i386;apt-get update -q|so it was removed again
libc6:i386|true|added|1|apt-get purge -y -q libc6:i386;dpkg --remove-architecture i386;apt-get update -q|could not be installed
|true|kept|1|apt-get update -q|could not be installed
CASES

[ $failures = 0 ] && echo "wine32 guard: all cases passed"
exit $((failures > 0))

#!/bin/bash
# setup.sh's guard of 32-bit Wine, with stand-ins for dpkg, apt and the check:
# what it runs as root, what it says and how it ends, in each case.
. "$(dirname "$0")/../../scripts/setup.sh"
set +e # the cases fail on purpose
as_root() { [ "$1" = env ] && shift 2; printf '%s; ' "$*" >&2; }
installed() { grep -qx "$1" <<<"$now"; }
installed_list() { sort <<<"$now"; }
failures=0
# installed after the attempt | check | i386 | what it runs as root and says, and its exit code
while IFS='|' read -r added check arch expected; do
    now=$(tr ' ' '\n' <<<"cmake wine64 $added")
    got="$(wine32_settle <(printf '%s\n' cmake wine64) "$arch" "$check" 2>&1) (exit $?)"
    [ "$got" = "$expected" ] || { echo "not ok: [$added] $check $arch: got '$got', expected '$expected'"; failures=$((failures + 1)); }
done <<'CASES'
libwine:i386 wine32:i386|true|added|32-bit Wine installed and runs (exit 0)
libwine:i386 wine32:i386|false|added|apt-get purge -y -q libwine:i386 wine32:i386; dpkg --remove-architecture i386; apt-get update -q; 32-bit Wine was installed but cannot start a 32-bit process (false), so it was removed again (exit 1)
libwine:i386 wine32:i386|false|kept|apt-get purge -y -q libwine:i386 wine32:i386; apt-get update -q; 32-bit Wine was installed but cannot start a 32-bit process (false), so it was removed again (exit 1)
libc6:i386|true|added|apt-get purge -y -q libc6:i386; dpkg --remove-architecture i386; apt-get update -q; 32-bit Wine could not be installed (exit 1)
|true|kept|apt-get update -q; 32-bit Wine could not be installed (exit 1)
CASES
[ $failures = 0 ] && echo "wine32 guard: all cases passed"
exit $((failures > 0))

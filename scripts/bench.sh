#!/bin/bash
# The benchmark command: installs what is missing, builds, and prints every
# figure with its peer measured in the same run (see bench/README.md).
# Arguments: seconds per throughput figure (default 1), pairs of dialog
# shows (default 15, each a burst of shows of both), and optionally a text
# that picks the dialog figures whose name holds it (e.g. "20 x 10").
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/setup.sh
# Only what the figures need, two jobs at most: the machine is shared. The
# build directories are configured as scripts/build.sh does.
i686_run=OFF
if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then i686_run=ON; fi
for arch in i686 x86_64; do
    if [ ! -f "build/$arch/build.ninja" ]; then
        cmake -S . -B "build/$arch" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
            -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake" -DVELDLG_RUN_I686=$i686_run \
            -DVELDLG_DLL_X86_64="$top/build/x86_64/VELDLG.dll" -DVELDLG_DLL_I686="$top/build/i686/VELDLG.dll" >/dev/null
    fi
done
cmake --build build/i686 -j2 --target VELDLG >/dev/null
cmake --build build/x86_64 -j2 --target VELDLG veldlg_bench >/dev/null

. scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$top/build/wineprefix"
winpath() { echo "Z:${1//\//\\}"; }
wine regsvr32 /s "$(winpath "$top/build/x86_64/VELDLG.dll")"
export VELDLG_DLL_x86_64="$top/build/x86_64/VELDLG.dll" VELDLG_DLL_i686="$top/build/i686/VELDLG.dll"
# The load average says how much the others on the machine took meanwhile.
load() { cut -d' ' -f1 /proc/loadavg; }
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version), load $(load)"
wine build/x86_64/bench/veldlg_bench.exe "${1:-1}" "${2:-15}" ${3:+"$3"}
echo "load at the end: $(load)"

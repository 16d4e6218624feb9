#!/bin/bash
# The benchmark command: installs what is missing, builds, and prints every
# figure with its peer measured in the same run (see bench/README.md).
# Argument: seconds per throughput figure (default 1).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/setup.sh
scripts/build.sh >/dev/null

. scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$top/build/wineprefix"
winpath() { echo "Z:${1//\//\\}"; }
wine regsvr32 /s "$(winpath "$top/build/x86_64/VELDLG.dll")"
export VELDLG_DLL_x86_64="$top/build/x86_64/VELDLG.dll" VELDLG_DLL_i686="$top/build/i686/VELDLG.dll"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version)"
wine build/x86_64/bench/veldlg_bench.exe "${1:-1}"

#!/bin/bash
# The demo command: installs what is missing, builds, and shows the dialogs
# through a real script. With a display you answer them yourself; without
# one they run on an Xvfb display, each is saved as a PNG in build/demo/ and
# ended by a scripted click.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/setup.sh
scripts/build.sh

. scripts/wine-env.sh
trap wine_env_stop EXIT
headless=1
[ -n "${DISPLAY:-}" ] && headless=0
wine_env_start "$top/build/wineprefix" keep

winpath() { echo "Z:${1//\//\\}"; }
wine regsvr32 /s "$(winpath "$top/build/x86_64/VELDLG.dll")"
if [ $headless = 1 ]; then
    mkdir -p build/demo
    rm -f build/demo/*.png
    wine cscript //nologo "$(winpath "$top/scripts/demo.vbs")" \
        "$(winpath "$top/build/x86_64/tests/veldlg_robot.exe")" "$(winpath "$top/build/demo")"
    echo "-- pictures of the dialogs:"
    ls -1 "$top"/build/demo/*.png
else
    wine cscript //nologo "$(winpath "$top/scripts/demo.vbs")"
fi

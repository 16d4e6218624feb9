#!/bin/bash
# The demo command: installs what is missing, builds, and shows the dialogs
# through a real script. With a display you answer them yourself; without
# one they run on an Xvfb display, each is saved as a PNG in build/demo/ and
# ended by a scripted click.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/setup.sh xdotool imagemagick
scripts/build.sh

. scripts/wine-env.sh
trap wine_env_stop EXIT
headless=1
[ -n "${DISPLAY:-}" ] && headless=0
wine_env_start "$top/build/wineprefix" keep

winpath() { echo "Z:${1//\//\\}"; }
wine regsvr32 /s "$(winpath "$top/build/x86_64/VELDLG.dll")"
script=$(winpath "$top/scripts/demo.vbs")
if [ $headless = 1 ]; then
    # No one at the screen: each dialog is pictured when it shows and then
    # answered with keys, as a user would, through the X server's input.
    mkdir -p build/demo
    rm -f build/demo/*.png
    # The pointer waits in a corner, so that no tool tip covers a picture.
    xdotool mousemove 0 0
    wine cscript //nologo "$script" &
    client=$!
    answer() { # window title, picture name, keys
        local id
        id=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) || return 1
        sleep 0.5
        import -window "$id" "build/demo/$2.png"
        shift 2
        xdotool key --delay 50 "$@"
    }
    answer "Print Labels" custom-message Return
    answer "Start printing at which label\?" label-start-position $(printf 'Tab %.0s' $(seq 13)) space
    answer "Pick a Printer" custom-list Down Down Return
    answer "Select Date Range" date-range Return
    wait $client
    echo "-- pictures of the dialogs:"
    ls -1 "$top"/build/demo/*.png
else
    wine cscript //nologo "$script"
fi

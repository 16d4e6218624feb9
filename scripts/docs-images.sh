#!/bin/bash
# The pictures of the manual: runs the demo without a display, which saves a
# picture of each dialog in build/demo/, and keeps a copy of each in
# docs/images/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

env -u DISPLAY scripts/demo.sh
mkdir -p docs/images
for picture in custom-message label-start-position date-range custom-list; do
    cp "build/demo/$picture.png" docs/images/
done
ls -l docs/images/*.png

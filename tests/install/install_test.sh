#!/bin/bash
# Runs a test program ($2) in a Wine prefix ($1) made fresh, where nothing is registered.
set -euo pipefail
. "$(dirname "$0")/../../scripts/wine-env.sh"
rm -rf "$1"
trap wine_env_stop EXIT
wine_env_start "$1" keep
wine "$2"

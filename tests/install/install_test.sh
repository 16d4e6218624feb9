#!/bin/bash
# Runs a test program in a Wine prefix made fresh for it, so that nothing is
# registered when it starts. Arguments: the prefix folder, the program.
set -euo pipefail
. "$(dirname "$0")/../../scripts/wine-env.sh"
prefix=$1
shift
rm -rf "$prefix"
trap wine_env_stop EXIT
wine_env_start "$prefix" keep
wine "$@"

#!/bin/bash
# Builds both architectures and writes the release into dist/: the
# installer; a zip with x64/ and x86/ (each DLL beside its manifest and the
# per-user registration tool), the README and the examples; and the SHA-256
# sums of both.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/setup.sh
scripts/build.sh

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/x86_64/CMakeCache.txt)
name=VELDLG-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for folder in x64:x86_64 x86:i686; do
    mkdir -p "$stage/$name/${folder%%:*}"
    cp "build/${folder#*:}"/{VELDLG.dll,VELDLG.sxs.manifest,veldlgreg.exe} "$stage/$name/${folder%%:*}/"
done
mkdir -p "$stage/$name/examples"
cp README.md "$stage/$name/"
cp scripts/demo.vbs library/install/examples/* "$stage/$name/examples/"

rm -rf dist
mkdir dist
cp "build/x86_64/$name.msi" dist/
# The same sources give the same zip: fixed times, sorted names, no extra fields.
find "$stage/$name" -exec touch -d "@$(git log -1 --format=%ct)" {} +
(cd "$stage" && find "$name" | sort | zip -qX -@ "$top/dist/$name.zip")
(cd dist && sha256sum "$name.msi" "$name.zip" >SHA256SUMS)
echo "-- dist/:"
ls -l dist

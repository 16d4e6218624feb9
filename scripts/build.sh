#!/bin/bash
# Builds VELDLG.dll and the tests for both architectures into build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

configure() { # arch, extra cmake arguments
    local arch=$1
    shift
    if [ ! -f "build/$arch/build.ninja" ]; then
        cmake -S . -B "build/$arch" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
            -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake" "$@" >/dev/null
    fi
    cmake --build "build/$arch"
}

i686_run=OFF
if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then i686_run=ON; fi

dlls=(-DVELDLG_DLL_X86_64="$top/build/x86_64/VELDLG.dll" -DVELDLG_DLL_I686="$top/build/i686/VELDLG.dll")
configure i686 -DVELDLG_RUN_I686=$i686_run "${dlls[@]}"
configure x86_64 "${dlls[@]}"
ls -l build/x86_64/VELDLG.dll build/i686/VELDLG.dll

#!/bin/bash
# Static analysis of the project's own sources: clang-tidy for the target
# x86_64-w64-mingw32 with the mingw-w64 headers, and cppcheck, both with the
# configuration checked in (.clang-tidy, .cppcheck-suppressions). Any finding
# fails. Needs the compile database of build/x86_64 (scripts/build.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

sources=$(git ls-files 'library/*.cpp' 'host/*.cpp' 'message/*.cpp' 'startpos/*.cpp' 'daterange/*.cpp' 'list/*.cpp')

gcc_include=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")/include
tidy_args=(--quiet -p build/x86_64 --extra-arg=--target=x86_64-w64-mingw32
    "--extra-arg=-isystem$gcc_include/c++" "--extra-arg=-isystem$gcc_include/c++/x86_64-w64-mingw32"
    "--extra-arg=-isystem$gcc_include/c++/backward" --extra-arg=-isystem/usr/x86_64-w64-mingw32/include)
echo "-- clang-tidy $(clang-tidy --version | grep -o 'version [0-9.]*')"
status=0
# shellcheck disable=SC2086
printf '%s\n' $sources | xargs -P "$(nproc)" -n 4 clang-tidy "${tidy_args[@]}" 2> >(grep -v 'warnings generated' >&2) ||
    status=1

echo "-- cppcheck $(cppcheck --version | grep -o '[0-9.]*$')"
# shellcheck disable=SC2086
cppcheck --quiet --error-exitcode=1 --std=c++20 --language=c++ --platform=win64 \
    --enable=warning,style,performance,portability --inline-suppr \
    --suppressions-list=.cppcheck-suppressions -D_WIN32 -D_WIN64 -DUNICODE -I . $sources || status=1

[ $status = 0 ] && echo "-- static analysis: no findings"
exit $status

#!/usr/bin/env bash
# Builds dodir.exe (and the Windows test programs) into build/win.
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$root"
gen=(); command -v ninja >/dev/null && gen=(-G Ninja)
[ -f build/win/CMakeCache.txt ] ||
  cmake -S . -B build/win "${gen[@]}" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win "$@"

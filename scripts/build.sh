#!/usr/bin/env bash
# Builds dodir.exe (and the Windows test programs) into build/win.
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$root"
gen=(); command -v ninja >/dev/null && gen=(-G Ninja)
# DODIR_WERROR=ON (set by the test command) makes warnings errors.
cmake -S . -B build/win "${gen[@]}" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DDODIR_WERROR="${DODIR_WERROR:-OFF}" >/dev/null
cmake --build build/win "$@"

#!/usr/bin/env bash
# Builds dodir.exe (and the Windows test programs) into build/win.
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$root"
# The "windows" preset of CMakePresets.json; DODIR_WERROR=ON (set by the test command)
# makes warnings errors.
cmake --preset windows -DDODIR_WERROR="${DODIR_WERROR:-OFF}" >/dev/null
cmake --build build/win "$@"

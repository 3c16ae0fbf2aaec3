#!/usr/bin/env bash
# Time from start to the visible main window: dodir.exe against Wine's own notepad.exe in the
# same prefix, started alternately, the median of 7 starts each (bench/startup_bench.cpp).
#   bench-startup.sh [--no-build] [starts]   (starts: of each, default 7)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = --no-build ]; then
  shift
else
  "$here/setup.sh"
  "$here/build.sh" --target dodir startup_bench
fi
source "$here/env.sh"
cd "$root"
with_display wine build/win/bench/startup_bench.exe 'build\win\src\dodir.exe' notepad.exe "${1:-7}"

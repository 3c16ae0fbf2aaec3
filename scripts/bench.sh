#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
"$here/build.sh" --target gutter_bench
source "$here/env.sh"
with_display wine "$root/build/win/bench/gutter_bench.exe"
"$here/build.sh" --target stream_bench
with_display wine "$root/build/win/bench/stream_bench.exe"
"$here/build.sh" --target search_bench
with_display wine "$root/build/win/bench/search_bench.exe"

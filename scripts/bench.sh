#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
"$here/build.sh" --target gutter_bench
source "$here/env.sh"
with_display wine "$root/build/win/bench/gutter_bench.exe"
"$here/build.sh" --target stream_bench
# Each size in a process of its own: after large documents have come and gone, Wine's heap
# can take minutes over an allocation that a fresh process makes at once.
with_display wine "$root/build/win/bench/stream_bench.exe" 3 3 2048
with_display wine "$root/build/win/bench/stream_bench.exe" 1 1 8192
"$here/build.sh" --target memory_bench
with_display wine "$root/build/win/bench/memory_bench.exe"
"$here/bench-startup.sh"
"$here/build.sh" --target search_bench
with_display wine "$root/build/win/bench/search_bench.exe"
"$here/build.sh" --target paste_click_bench
with_display wine "$root/build/win/bench/paste_click_bench.exe"
with_display wine "$root/build/win/bench/paste_click_bench.exe" 30000 native
"$here/build.sh" --target paragraph_bench
with_display wine "$root/build/win/bench/paragraph_bench.exe"
# The print benchmark prints to the default printer: the PDF queue, whose output it leaves in
# ~/PDF under its job title.
"$here/printer.sh" start
"$here/build.sh" --target print_bench
with_display wine "$root/build/win/bench/print_bench.exe" 3 512
rm -f "$HOME"/PDF/dodir_print_bench*.pdf

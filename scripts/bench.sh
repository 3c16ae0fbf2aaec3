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
"$here/build.sh" --target paste_click_bench
with_display wine "$root/build/win/bench/paste_click_bench.exe"
with_display wine "$root/build/win/bench/paste_click_bench.exe" 30000 native
"$here/build.sh" --target paragraph_bench
with_display wine "$root/build/win/bench/paragraph_bench.exe"
# The print benchmark prints to the default printer: the PDF queue, whose output it leaves in
# ~/PDF under its job title.
"$here/printer.sh" start
"$here/build.sh" --target print_bench
with_display wine "$root/build/win/bench/print_bench.exe"
rm -f "$HOME"/PDF/dodir_print_bench*.pdf

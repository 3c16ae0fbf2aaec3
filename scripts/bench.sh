#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine.
#   bench.sh             builds them, then runs them under this machine's Wine
#   bench.sh --no-build  runs the benchmarks of build/win as they are (scripts/debian13.sh runs
#                        them so under Debian 13's Wine: scripts/debian13.sh run scripts/bench.sh --no-build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = --no-build ]; then
  "$here/wineprefix.sh"
else
  "$here/setup.sh"
  "$here/build.sh" --target gutter_bench keypress_bench font_apply_bench stream_bench memory_bench search_bench paste_click_bench \
    paragraph_bench print_bench startup_bench
fi
source "$here/env.sh"
echo "== $(wine --version)"
with_display wine "$root/build/win/bench/gutter_bench.exe"
with_display wine "$root/build/win/bench/keypress_bench.exe"
# Each size in a process of its own, and each kind of document's 8 MB open too: after large
# documents have come and gone, Wine's heap can take minutes over an allocation that a fresh
# process makes at once.
DODIR_STREAM_ONLY="plain rich" with_display wine "$root/build/win/bench/stream_bench.exe" 3 3 2048
for kind in ascii wrapping plain rich; do
  DODIR_STREAM_ONLY="open $kind" with_display wine "$root/build/win/bench/stream_bench.exe" 1 1 8192
done
DODIR_STREAM_ONLY="over new save" with_display wine "$root/build/win/bench/stream_bench.exe" 1 1 8192
with_display wine "$root/build/win/bench/memory_bench.exe"
with_display wine "$root/build/win/bench/font_apply_bench.exe"
"$here/bench-startup.sh" --no-build
with_display wine "$root/build/win/bench/search_bench.exe"
with_display wine "$root/build/win/bench/paste_click_bench.exe"
with_display wine "$root/build/win/bench/paste_click_bench.exe" 30000 native
with_display wine "$root/build/win/bench/paragraph_bench.exe"
# The print benchmark prints to the default printer: the PDF queue, whose output it leaves in
# ~/PDF under its job title.
"$here/printer.sh" start
with_display wine "$root/build/win/bench/print_bench.exe" 3 512
rm -f "$HOME"/PDF/dodir_print_bench*.pdf
"$here/printer.sh" stop

#!/usr/bin/env bash
# Runs the soak: the end-to-end random walk through dodir.exe (Soak in tests/e2e/soak_test.cpp)
# for a number of steps (10000 unless given) from a seed (the time unless given), under Wine in
# the project's environment (scripts/env.sh) with a display. Builds first.
#   scripts/soak.sh [actions] [seed]
# The seed is printed first; a failure prints it again with the last steps, and
# DODIR_SOAK_SEED and DODIR_SOAK_ACTIONS run the same walk in the test program.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/env.sh"

# The walk itself, run again by this script with a display.
if [ "${1-}" = --walk ]; then
  fresh_wineserver
  # The program's texts are code page 932; each line is shown as it comes.
  wine "$root/build/win/tests/e2e_tests.exe" --gtest_filter='Soak.*' 2>&1 |
    while IFS= read -r line; do printf '%s\n' "$line" | iconv -f CP932 -t UTF-8 -c; done
  rc=${PIPESTATUS[0]}
  wineserver -k 2>/dev/null || true
  exit "$rc"
fi

actions=${1:-10000}
seed=${2:-$(date +%s)}
case "$actions$seed" in
*[!0-9]*)
  echo "usage: $0 [actions] [seed]" >&2
  exit 2
  ;;
esac
echo "soak: $actions actions, seed $seed"
"$here/setup.sh" >/dev/null && "$here/build.sh" --target e2e_tests dodir >/dev/null || exit 1
export DODIR_EXE="$root/build/win/src/dodir.exe" DODIR_SOAK_SEED=$seed DODIR_SOAK_ACTIONS=$actions
start=$(date +%s)
with_display "$0" --walk
rc=$?
echo "soak: $actions actions, seed $seed, $(($(date +%s) - start)) s, exit code $rc"
exit $rc

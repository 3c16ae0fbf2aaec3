#!/usr/bin/env bash
# Runs the Windows test programs of build/win through ctest, with one wineserver kept
# alive for the whole run. Needs a display (scripts/test.sh provides one).
source "$(dirname "$0")/env.sh"
cd "$root/build/win" || exit 1
wineserver -k 2>/dev/null || true
wineserver -p
ctest --output-on-failure "$@"
rc=$?
wineserver -k 2>/dev/null || true
exit $rc

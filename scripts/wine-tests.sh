#!/usr/bin/env bash
# Runs the Windows tests of build/win (in-process and end-to-end) under this system's Wine in
# Xvfb, printing to the PDF queue; arguments go to ctest. scripts/test.sh runs it on the host
# and, through scripts/debian13.sh, under Debian 13's Wine.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/env.sh"
"$here/wineprefix.sh" || exit 1
echo "== $(wine --version) on Debian $(cat /etc/debian_version)"
status=0
"$here/printer.sh" start || status=1
with_display "$here/wine-ctest.sh" "$@" || status=1
"$here/printer.sh" stop
# Other resolutions (the 144-dpi suites, scripts/run.sh on a scaled desktop) run in copies of the
# prefix: the one the tests use still reports 96 dpi.
if grep -q '^"LogPixels"=' "$WINEPREFIX/user.reg" && ! grep -q '^"LogPixels"=dword:00000060' "$WINEPREFIX/user.reg"; then
  echo "the tests' Wine prefix $WINEPREFIX reports another resolution than 96 dpi"
  status=1
fi
exit $status

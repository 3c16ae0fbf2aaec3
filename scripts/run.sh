#!/usr/bin/env bash
# Builds dodir and starts it (under Wine on Linux).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
"$here/build.sh" --target dodir
source "$here/env.sh"
# Printing goes to the machine's own printers; without any, to the PDF queue (PDFs in ~/PDF).
if ! LC_ALL=C lpstat -e 2>/dev/null | grep -q .; then
  "$here/printer.sh" start && echo "No printer here: printing goes to the PDF queue, into ~/PDF." >&2
fi
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "dodir needs an X display and none is reachable (DISPLAY='${DISPLAY:-}')." >&2
  echo "Start one, for example:  Xvfb :5 -screen 0 1280x1024x24 &  export DISPLAY=:5" >&2
  echo "or run the editor in a virtual one:  xvfb-run -a -s '-screen 0 1280x1024x24' $0" >&2
  exit 1
fi
# The program draws itself for the resolution Wine reports: the desktop's scale, set in a copy
# of the prefix (scripts/wine-exec.sh), so that the prefix the tests use keeps 96 dpi.
DODIR_DPI=$(desktop_dpi) exec "$here/wine-exec.sh" "$root/build/win/src/dodir.exe"

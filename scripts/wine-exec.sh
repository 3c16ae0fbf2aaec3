#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the project's prefix; with DODIR_DPI
# set (144, say), in a copy of that prefix reporting that resolution, so that the other
# programs keep 96.
source "$(dirname "$0")/env.sh"
if [ -n "${DODIR_DPI:-}" ] && [ "$DODIR_DPI" != 96 ]; then
  base=$WINEPREFIX
  export WINEPREFIX="$base-dpi$DODIR_DPI"
  if [ ! -f "$WINEPREFIX/$prefix_stamp" ] || [ "$base/$prefix_stamp" -nt "$WINEPREFIX/$prefix_stamp" ]; then
    rm -rf "$WINEPREFIX"
    cp -a "$base" "$WINEPREFIX"
  fi
  set_prefix_dpi "$DODIR_DPI"
fi
exec wine "$@"

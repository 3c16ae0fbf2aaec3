#!/usr/bin/env bash
# Makes the release zip build/dodir-<version>.zip: dodir.exe, README.md and LICENSE.txt.
# With --check, also starts the dodir.exe taken out of the zip under Wine and checks that
# it shows its main window as designed (needs a display, and the e2e_tests program).
set -euo pipefail
source "$(dirname "$0")/env.sh"
cd "$root"
"$root/scripts/build.sh" --target dodir >/dev/null
version=$(sed -n 's/^FILEVERSION \([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1.\2.\3/p' src/app/dodir.rc)
zip="build/dodir-$version.zip"
rm -f "$zip"
# The build keeps debugging information; the released program goes without it.
stripped=$(mktemp -d /tmp/dodir-strip.XXXXXX)
x86_64-w64-mingw32-strip -o "$stripped/dodir.exe" build/win/src/dodir.exe
python3 - "$zip" "$stripped/dodir.exe" README.md LICENSE.txt <<'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for path in sys.argv[2:]:
        z.write(path, "dodir/" + os.path.basename(path))
PY
rm -rf "$stripped"
echo "$zip"
[ "${1:-}" = --check ] || exit 0

unpacked=$(mktemp -d /tmp/dodir-package.XXXXXX)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$unpacked"' EXIT
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$unpacked"
for f in dodir.exe README.md LICENSE.txt; do
  [ -s "$unpacked/dodir/$f" ] || { echo "$zip lacks $f"; exit 1; }
done
fresh_wineserver
DODIR_EXE="$unpacked/dodir/dodir.exe" timeout 120 wine build/win/tests/e2e_tests.exe \
  --gtest_filter=MainWindow.StartsAsDesigned

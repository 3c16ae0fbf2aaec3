#!/usr/bin/env bash
# Takes the README's screenshot of the running program: docs/screenshot.png.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
"$here/build.sh" --target dodir e2e_tests
source "$here/env.sh"
mkdir -p "$root/docs"
shot=$(mktemp --suffix=.bmp)
export DODIR_EXE="$root/build/win/src/dodir.exe" DODIR_SCREENSHOT="$shot"
with_display wine "$root/build/win/tests/e2e_tests.exe" --gtest_filter=MainWindow.StartsAsDesigned >/dev/null
convert "$shot" "$root/docs/screenshot.png"
rm -f "$shot"
echo "wrote docs/screenshot.png"

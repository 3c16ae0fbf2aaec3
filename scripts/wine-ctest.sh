#!/usr/bin/env bash
# Runs the Windows test programs of build/win through ctest, with one wineserver kept
# alive for the whole run. Needs a display (scripts/test.sh provides one).
source "$(dirname "$0")/env.sh"
cd "$root/build/win" || exit 1
# A full file system for the save tests of DocumentIoTest: a 1 MiB tmpfs holding
# kept.rtf and a filler that takes the rest, named by DODIR_FULL_DIR (seen by Wine on Z:).
# Left out when mounting is not allowed; the test then skips.
full_dir=$(mktemp -d /tmp/dodir-full.XXXXXX)
if mount -t tmpfs -o size=1m dodir-full "$full_dir" 2>/dev/null; then
  printf '{\\rtf1\\ansi kept as it was\\par}\n' >"$full_dir/kept.rtf"
  dd if=/dev/zero of="$full_dir/filler" bs=4096 2>/dev/null || true
  export DODIR_FULL_DIR=$full_dir
fi
trap 'umount "$full_dir" 2>/dev/null; rmdir "$full_dir" 2>/dev/null' EXIT
fresh_wineserver
ctest --output-on-failure "$@"
rc=$?
wineserver -k 2>/dev/null || true
exit $rc

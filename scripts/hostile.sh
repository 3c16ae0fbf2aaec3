#!/usr/bin/env bash
# Opens the whole hostile-file corpus (tests/hostile) through the program's Open command,
# restarting after each file that ends a run (a crash, or a hang the watchdog stops), and
# prints the outcome of every kind and the slowest files. The log is build/hostile.log.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/env.sh"
if [ "${1:-}" != --inner ]; then
  "$here/setup.sh" >/dev/null && "$here/build.sh" --target wine_tests >/dev/null || exit 1
  exec bash -c "source '$here/env.sh'; with_display '$0' --inner"
fi
cd "$root/build/win" || exit 1
log=$root/build/hostile.log
: >"$log"
fresh_wineserver
from=0
while :; do
  DODIR_HOSTILE_LOG=$log DODIR_HOSTILE_FROM=$from \
    wine tests/wine_tests.exe --gtest_filter='HostileFiles.EveryFile*' >>"$root/build/hostile.out" 2>&1
  grep -q '^END' "$log" && break
  last=$(grep '^START' "$log" | tail -n 1)
  [ -n "$last" ] || { echo "hostile.sh: the runner did not start"; exit 1; }
  set -- $last
  grep -q "^HANG $3" "$log" || echo "CRASH $3" >>"$log"
  from=$(($2 + 1))
done
wineserver -k 2>/dev/null || true
echo "files: $(grep -c '^START' "$log")"
grep '^DONE' "$log" | awk '{print $5 == "read" ? "read error" : $5 == "open" ? "open error" : $5}' | sort | uniq -c
echo "hangs: $(grep -c '^HANG' "$log")  crashes: $(grep -c '^CRASH' "$log")"
grep -E '^(HANG|CRASH)' "$log"
echo "slowest (ms):"
grep '^DONE' "$log" | awk '{print $NF, $3, $4 " bytes"}' | sort -rn | head -n 5
echo "failed checks: $(grep -c 'Failure' "$root/build/hostile.out")"

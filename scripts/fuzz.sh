#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build/fuzz and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]
# Exits non-zero when a target crashes (the crashing input is kept in build/fuzz/artifacts).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cd "$root"

seconds=${1:-60}
shift $(( $# > 0 ? 1 : 0 ))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

build=build/fuzz
cmake --preset fuzz >/dev/null || exit 1
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)" || exit 1

status=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  echo "== $t (${seconds}s)"
  if ! "$build/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$artifacts/" "$corpus"; then
    echo "fuzz: $t failed; inputs in $artifacts" >&2
    status=1
  fi
done
exit $status

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build/fuzz and runs each for a bounded time,
# or for a number of inputs. Each target's corpus stays in build/fuzz/corpus between runs.
# Usage: scripts/fuzz.sh [seconds per target, default 60 | --runs N] [target ...]
# Exits non-zero when a target crashes (the crashing input is kept in build/fuzz/artifacts).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cd "$root"

limit=(-max_total_time="${1:-60}")
what="${1:-60}s"
if [ "${1:-}" = "--runs" ]; then
  limit=(-runs="$2")
  what="$2 inputs"
  shift 2
else
  shift $(( $# > 0 ? 1 : 0 ))
fi
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
  echo "== $t ($what)"
  if ! "$build/fuzz/$t" "${limit[@]}" -print_final_stats=1 \
       -artifact_prefix="$artifacts/" "$corpus"; then
    echo "fuzz: $t failed; inputs in $artifacts" >&2
    status=1
  fi
done
exit $status

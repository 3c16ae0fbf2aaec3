#!/usr/bin/env bash
# Runs the fuzzers for a bounded time, or for a number of inputs each:
#  - the libFuzzer targets (fuzz/*_fuzz.cpp), built with clang into build/fuzz; each target's
#    corpus stays in build/fuzz/corpus between runs, a crashing input goes to build/fuzz/artifacts;
#  - reader_mutation: mutated rich text through the program's load path into the real
#    rich-text control, under Wine in the project's prefix (Windows build, build/win); the
#    inputs that crash or hang it go to build/fuzz/reader.
# Usage: scripts/fuzz.sh [seconds per target, default 60 | --runs N] [target ...]
# DODIR_FUZZ_SEED=N gives every target the same start (libFuzzer's -seed, reader_mutation's
# --seed): a run of a number of inputs then repeats exactly.
# Exits non-zero when a target crashes (or, for reader_mutation, crashes or hangs).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cd "$root"
# The reader mutation run itself, with a display (below): a Wine server of its own, ended
# afterwards. A child that crashes ends itself at once; should Wine's debugger start all the
# same, it shows no dialog during the run (the prefix's setting is put back afterwards).
if [ "${1:-}" = --reader-inner ]; then
  shift
  source "$here/env.sh"
  fresh_wineserver
  key='HKCU\Software\Wine\WineDbg'
  shown=$(wine reg query "$key" /v ShowCrashDialog 2>/dev/null | awk '/ShowCrashDialog/ { print $3 }' | tr -d '\r')
  wine reg add "$key" /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine build/win/fuzz/reader_mutation.exe "$@"
  result=$?
  if [ -n "$shown" ]; then
    wine reg add "$key" /v ShowCrashDialog /t REG_DWORD /d $((shown)) /f >/dev/null 2>&1
  else
    wine reg delete "$key" /v ShowCrashDialog /f >/dev/null 2>&1
  fi
  wineserver -k 2>/dev/null || true
  exit $result
fi

seconds="${1:-60}"
limit=(-max_total_time="$seconds")
reader_limit=(--seconds "$seconds")
what="${seconds}s"
if [ "${1:-}" = "--runs" ]; then
  limit=(-runs="$2")
  reader_limit=(--runs "$2")
  what="$2 inputs"
  shift 2
else
  shift $(( $# > 0 ? 1 : 0 ))
fi
targets=("$@")
if [ -n "${DODIR_FUZZ_SEED:-}" ]; then
  limit+=(-seed="$DODIR_FUZZ_SEED")
  reader_limit+=(--seed "$DODIR_FUZZ_SEED")
fi
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
  targets+=(reader_mutation)
fi
native=()
reader=false
for t in "${targets[@]}"; do
  if [ "$t" = reader_mutation ]; then reader=true; else native+=("$t"); fi
done

status=0
if [ ${#native[@]} -gt 0 ]; then
  build=build/fuzz
  cmake --preset fuzz >/dev/null || exit 1
  cmake --build "$build" --target "${native[@]}" -j "$(nproc)" || exit 1
  for t in "${native[@]}"; do
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
fi

if $reader; then
  out=build/fuzz/reader
  "$here/build.sh" --target reader_mutation -j "$(nproc)" >/dev/null || exit 1
  "$here/wineprefix.sh" || exit 1
  echo "== reader_mutation ($what)"
  if ! (source "$here/env.sh" && with_display "$here/fuzz.sh" --reader-inner "${reader_limit[@]}" --out "$out"); then
    echo "fuzz: reader_mutation failed; inputs in $out" >&2
    status=1
  fi
fi
exit $status

#!/usr/bin/env bash
# Builds everything and runs every test: the platform-free code natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers for a bounded time (the
# rich-text reader's under Wine among them: scripts/fuzz.sh builds what it needs), then the
# Windows tests (in-process and end-to-end) under Wine in Xvfb: the host's Wine, and Debian
# 13's in a system of the project's own.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh" || exit 1
source "$here/env.sh"
cd "$root"
jobs=$(nproc)
status=0

echo "== formatting (.clang-format)"
unformatted=$(git ls-files '*.cpp' '*.h' | while read -r f; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"
done)
if [ -n "$unformatted" ]; then
  echo "not formatted as .clang-format says (clang-format -i fixes them):"
  echo "$unformatted"
  status=1
fi

echo "== include graph"
"$here/check-includes.sh" || status=1

# Warnings fail the test builds.
export DODIR_WERROR=ON

echo "== native tests (ASan + UBSan)"
cmake --preset native-sanitize -DDODIR_WERROR=ON >/dev/null || exit 1
cmake --build build/native -j "$jobs" || exit 1
(cd build/native && ctest --output-on-failure -j "$jobs") || status=1

# From a fixed start, so that a run repeats: longer runs from other starts are scripts/fuzz.sh's.
echo "== fuzzing (libFuzzer, ASan + UBSan, 30 s a target; the rich-text reader under Wine, 1 400 inputs)"
mkdir -p build
native_fuzzers=$(cd fuzz && ls ./*_fuzz.cpp | sed 's|^\./||; s|\.cpp$||')
# shellcheck disable=SC2086 # one target a word
if DODIR_FUZZ_SEED=1 "$here/fuzz.sh" 30 $native_fuzzers >build/fuzz.log 2>&1 &&
  DODIR_FUZZ_SEED=1 "$here/fuzz.sh" --runs 1400 reader_mutation >>build/fuzz.log 2>&1; then
  grep -E '^== |Done [0-9]+ runs|^reader_mutation: done' build/fuzz.log
else
  tail -n 40 build/fuzz.log
  status=1
fi

echo "== Windows build"
"$here/build.sh" -j "$jobs" || exit 1
"$here/build.sh" --target e2e_tests wine_tests -j "$jobs" || exit 1

echo "== Windows tests under Wine (printing to the PDF queue)"
"$here/wine-tests.sh" || status=1

echo "== release zip"
with_display "$here/package.sh" --check || status=1

# The same programs under the other Wine users meet: Debian 13's, in a system of the project's
# own (made once, about two minutes; scripts/debian13.sh). A Debian 13 host has run them above.
if [ "$(cut -d. -f1 /etc/debian_version 2>/dev/null)" != 13 ]; then
  echo "== Windows tests under Debian 13's Wine"
  "$here/debian13.sh" tests || status=1
fi
exit $status

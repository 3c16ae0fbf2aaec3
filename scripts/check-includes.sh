#!/usr/bin/env bash
# Checks that the program's own includes run one way, downwards:
#   app -> about, appearance, dialogs, document, printing, search -> ui, editor -> base
# Nothing outside src/app includes a header of src/app; ui and editor include only base
# (and themselves); base includes only base.
set -uo pipefail
cd "$(dirname "$0")/../src" || exit 1
allowed() { # layer of the including file, folder of the included header
  case "$1" in
    app) return 0 ;;
    base) [ "$2" = base ] ;;
    ui | editor) [ "$2" = base ] || [ "$2" = "$1" ] ;;
    *) [ "$2" != app ] ;;
  esac
}
status=0
while IFS= read -r -d '' file; do
  layer=${file#./}
  layer=${layer%%/*}
  while IFS= read -r header; do
    target=${header%%/*}
    if ! allowed "$layer" "$target"; then
      echo "${file#./}: includes $header, which lies above it"
      status=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . \( -name '*.h' -o -name '*.cpp' \) -print0)
[ $status -eq 0 ] && echo "includes run downwards"
exit $status

#!/usr/bin/env bash
# Checks the program's own includes against the folder graph:
#   app -> the subsystems (about, appearance, dialogs, document, printing, search)
#       -> ui, editor -> base
# Every folder includes its own headers and those of base; app includes any folder; base
# includes only base. Any other arrow between two folders must be listed below: a loop
# between subsystems cannot creep in unnoticed.
set -uo pipefail
cd "$(dirname "$0")/../src" || exit 1
# The arrows between folders other than app and base, "from->to".
arrows=(
  about-\>ui
  dialogs-\>ui
  printing-\>editor
  printing-\>ui
  search-\>editor
)
allowed() { # folder of the including file, folder of the included header
  [ "$1" = "$2" ] || [ "$1" = app ] || [ "$2" = base ] && return 0
  [ "$1" = base ] && return 1
  local arrow
  for arrow in "${arrows[@]}"; do [ "$arrow" = "$1->$2" ] && return 0; done
  return 1
}
status=0
while IFS= read -r -d '' file; do
  layer=${file#./}
  layer=${layer%%/*}
  while IFS= read -r header; do
    target=${header%%/*}
    if ! allowed "$layer" "$target"; then
      echo "${file#./}: includes $header; $layer -> $target is not an arrow of the folder graph"
      status=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . \( -name '*.h' -o -name '*.cpp' \) -print0)
[ $status -eq 0 ] && echo "includes follow the folder graph"
exit $status

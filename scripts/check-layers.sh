#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own, and
# prints each such include. Bottom to top:
#   platform/ -> imaging/, zip/ -> catalog/ -> ui/ -> app/ -> docking/
#   -> viewer/ -> tools/ -> acquire/, config/ -> explorer/ -> program/
# The windows are ordered by what they are built from. docking/ holds the
# panes and custom controls (colour button, tab control) of every other
# window. viewer/ holds the image view that the tools' dialogs (adjustment
# previews, print list, replace confirmation) and the explorer's preview
# embed. acquire/ and config/ use the tools' dialogs (output, save options).
# The explorer hosts all of them. A lower window reaches a higher one only
# through the small interfaces of app/ that program/ registers, as the
# viewer reaches the tools' dialogs.
# A folder may include itself and any lower layer, never a peer of its own
# layer (peers are joined only above them). shellext/ stands alone: it
# includes only itself. resources/ holds the ids every layer names. tests/
# and bench/ may include anything; a folder's own tests (X/tests/, also
# X/sub/tests/) follow the rule of X.
set -uo pipefail
cd "$(dirname "$0")/.."

git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' '*.c' '*.rc' '*.inl' |
  xargs -0 grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]*/' -- 2>/dev/null |
  awk '
    BEGIN {
      split("platform:0 imaging:10 zip:10 catalog:20 ui:30 app:40 docking:45 viewer:50 " \
            "tools:52 acquire:54 config:54 explorer:56 program:60 shellext:-1", pairs, " ")
      for (i in pairs) { split(pairs[i], kv, ":"); rank[kv[1]] = kv[2] }
      free["tests"] = free["bench"] = free["resources"] = free["scripts"] = free["cmake"] = 1
      bad = 0
    }
    {
      # file:line:text
      file = $0; sub(/:.*/, "", file)
      rest = substr($0, length(file) + 2)
      number = rest; sub(/:.*/, "", number)
      text = substr(rest, length(number) + 2)
      own = file; sub(/\/.*/, "", own)
      if (own in free || !(own in rank)) next
      target = text; sub(/^[^"]*"/, "", target); sub(/\/.*/, "", target)
      if (target == own || target == "resources" || !(target in rank)) next
      sub(/^[[:space:]]*/, "", text)
      if (own == "shellext") {
        printf "layering: %s:%s: %s (shellext/ stands alone)\n", file, number, text; bad = 1
      } else if (target == "shellext" || rank[target] >= rank[own]) {
        printf "layering: %s:%s: %s (%s/ may include only lower layers)\n", file, number, text, own; bad = 1
      }
    }
    END { if (!bad) print "layers: ok"; exit bad }
  '

#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a folder above its own.
# This list is the one place that orders the folders, from the bottom up;
# folders on one level may include each other.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A level=(
  [platform]=0
  [config]=1 [list]=1
  [logscan]=2 [areas]=2
  [stats]=3
  [counters]=4
  [run]=5
)
bad=0
while IFS= read -r f; do
  own=$(cut -d/ -f2 <<<"$f")
  mine=${level[$own]:-}
  if [ -z "$mine" ]; then echo "$f: folder $own has no level in scripts/check-layers.sh"; bad=1; continue; fi
  while IFS= read -r inc; do
    theirs=${level[$inc]:-}
    if [ -z "$theirs" ]; then echo "$f: includes $inc/, which has no level"; bad=1
    elif [ "$theirs" -gt "$mine" ]; then echo "$f: $own/ includes $inc/, a layer above it"; bad=1; fi
  done < <(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$f" | sort -u)
done < <(find src -mindepth 2 -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
if [ "$bad" -ne 0 ]; then exit 1; fi
echo "layers: every include under src/ points down"

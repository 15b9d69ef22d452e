#!/usr/bin/env bash
# Runs ZUNT on a scratch copy of the sample board and shows what it did.
# Usage: examples/run-demo.sh [path/to/zunt]   (default: build/zunt)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
zunt="$(cd "$(dirname "${1:-$root/build/zunt}")" && pwd)/$(basename "${1:-$root/build/zunt}")"
demo="$root/demo"

rm -rf "$demo"
cp -r "$here/board" "$demo"
cd "$demo"

run() {
    echo "================================================================"
    echo "\$ zunt $*"
    set +e
    "$zunt" "$@" >stdout.txt 2>stderr.txt
    local rc=$?
    set -e
    echo "--- standard output:"; cat stdout.txt
    echo "--- standard error:"; cat stderr.txt
    echo "--- exit code: $rc"
    rm -f stdout.txt stderr.txt
}

# The initialization run gives every file line a counter and rebuilds the statistics.
run /czunt.ctl /i
echo "--- files/util/files.bbs after /i:"
tr -d '\r' <files/util/files.bbs
# The counting run: every new download in the logs raises its file's
# counter; the list as it stood before is the one shown after /i above.
run /czunt.ctl
echo "================================================================"
echo "--- activity log (zunt.log):"
if [ -f zunt.log ]; then tr -d '\r' <zunt.log; else echo "(none)"; fi
echo "--- upload log (uploads.log):"
if [ -f uploads.log ]; then tr -d '\r' <uploads.log; else echo "(none)"; fi
echo "--- files/util/files.bbs after the counting run:"
tr -d '\r' <files/util/files.bbs
echo "--- files/util/files.bak (the list as it stood before the last file counted in it):"
tr -d '\r' <files/util/files.bak
# The Top Files bulletins from the statistics.
run /czunt.ctl /s
echo "--- text bulletin (topfiles.txt):"
# Its box characters are code page 437; shown in UTF-8 when iconv is there.
if [ ! -f topfiles.txt ]; then echo "(none)"
elif command -v iconv >/dev/null; then tr -d '\r' <topfiles.txt | iconv -f CP437 -t UTF-8
else tr -d '\r' <topfiles.txt; fi
echo "(scratch board kept in $demo)"

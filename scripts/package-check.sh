#!/usr/bin/env bash
# Builds the Debian package and, as root on a machine without zunt installed,
# installs it, tries `zunt /?` and `man zunt`, and removes it again, so that
# the machine is left as it was. A zunt installed before is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
make package
deb=$(ls build-pkg/zunt_*.deb)
if [ "$(id -u)" -ne 0 ] || dpkg -s zunt >/dev/null 2>&1; then
  echo "package-check: $deb built; install check skipped (not root, or zunt installed)"
  exit 0
fi
trap 'dpkg -r zunt >/dev/null 2>&1 || true' EXIT
dpkg -i "$deb"
help=$(zunt /?)
grep -q -F '/c<cfg_file>' <<<"$help"
man -w zunt
test -f /usr/share/doc/zunt/examples/zunt.ctl
dpkg -r zunt
if dpkg -s zunt >/dev/null 2>&1 || [ -e /usr/bin/zunt ]; then
  echo "package-check: zunt still installed after dpkg -r" >&2
  exit 1
fi
echo "package-check: $deb installs, runs and removes cleanly"

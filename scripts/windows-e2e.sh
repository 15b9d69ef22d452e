#!/usr/bin/env bash
# Builds zunt.exe with mingw-w64 and runs the end-to-end tests against it
# under wine. The test binary itself is the normal Linux build; it starts
# zunt.exe through wine (see tests/e2e/e2e_util.h).
#
#   scripts/windows-e2e.sh            (BUILD=<dir> picks the Linux build dir)
#
# A scratch wine prefix under /tmp is made for the run and removed after it,
# unless WINEPREFIX is set by the caller.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}

./scripts/deps.sh g++-mingw-w64-x86-64-posix wine wine64
make windows
make build BUILD="$build" CMAKE_FLAGS="-DZUNT_WERROR=ON"

if command -v wine >/dev/null 2>&1; then
  wrapper=$(command -v wine)
else
  wrapper=/usr/lib/wine/wine64
fi
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

export WINEDEBUG=-all
own_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX=$(mktemp -d /tmp/zunt-wine.XXXXXX)
  own_prefix=$WINEPREFIX
fi
export WINEPREFIX
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$own_prefix" ]; then rm -rf "$own_prefix"; fi
}
trap cleanup EXIT

# One server for the whole run: a server that is let go after each test's
# last process can be on its way out just as the next test starts one,
# which then fails with "wine client error".
"$wineserver" -p
# The first start creates the prefix and prints about it; keep that out of
# the tests' view of standard error.
echo "Preparing the wine prefix $WINEPREFIX ..."
timeout 300 "$wrapper" wineboot -i >/dev/null 2>&1 || true
timeout 60 "$wrapper" build-win/zunt.exe /? >/dev/null 2>&1 || true

ZUNT_TEST_BINARY="$PWD/build-win/zunt.exe" ZUNT_TEST_WRAPPER="$wrapper" \
  timeout 1200 "$build/zunt_tests" --gtest_filter='*E2E.*'

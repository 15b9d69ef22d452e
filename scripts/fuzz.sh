#!/usr/bin/env bash
# Builds every fuzz target in fuzz/ with clang's libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, then runs each for FUZZ_SECONDS seconds
# (default 20) on its seed corpus in fuzz/corpus/<target>/. New inputs found
# go to <build>/corpus/<target>/; a crash, leak, sanitizer report or an input
# running over 1 s stops the script with the reproducing file beside it.
#   scripts/fuzz.sh [build-dir] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh clang-14 libclang-rt-14-dev
BUILD=$(realpath -m "${1:-build-fuzz}")
ROOT=$(pwd)
shift || true
SECONDS_EACH=${FUZZ_SECONDS:-20}
CXX=${FUZZ_CXX:-clang++-14}
SAN="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

cmake -S . -B "$BUILD" -DCMAKE_CXX_COMPILER="$CXX" -DZUNT_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $SAN" >/dev/null
cmake --build "$BUILD" --target zunt_core -j"${JOBS:-2}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" _fuzz.cpp)"); done
fi

total=0
for t in "${targets[@]}"; do
  bin="$BUILD/fuzz_$t"
  "$CXX" -std=c++20 -g -O1 -fsanitize=fuzzer $SAN -Isrc -Ifuzz \
    "fuzz/${t}_fuzz.cpp" "$BUILD/libzunt_core.a" -o "$bin"
  mkdir -p "$BUILD/corpus/$t" "$BUILD/artifacts/$t"
  log="$BUILD/fuzz_$t.log"
  if ! (cd "$BUILD/artifacts/$t" && "$bin" -max_total_time="$SECONDS_EACH" -timeout=1 \
        -rss_limit_mb=2048 -print_final_stats=1 "$BUILD/corpus/$t" "$ROOT/fuzz/corpus/$t") \
        >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz: $t failed; reproducer in $BUILD/artifacts/$t/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  total=$((total + ${runs:-0}))
  echo "fuzz: $t ${runs:-0} executions, no findings"
done
echo "fuzz: ${#targets[@]} targets, $total executions"

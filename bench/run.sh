#!/usr/bin/env bash
# Runs the benchmarks B1-B4 and prints, for each, the median wall time, the
# peak resident memory and the ratio to its peer or floor, measured side by
# side in this run.
#
#   bench/run.sh [scale] [runs]      (make bench runs it with the defaults)
#
# scale 1 (the default) is the full size: a 1 GiB log for B1 and a 200 MB
# log over 200 lists for B3; the boards are generated once into
# $ZUNT_BENCH_DIR (default /tmp/zunt-bench) and reused. Every timed run of
# zunt starts from the generated lists (restored untimed before each run).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
scale="${1:-1}"
runs="${2:-3}"
build="${ZUNT_BENCH_BUILD:-$root/build-bench}"
data="${ZUNT_BENCH_DIR:-/tmp/zunt-bench}/scale-$scale"
zunt="${ZUNT_BIN:-$build/zunt}"
TIME=/usr/bin/time
[ -x "$TIME" ] || { echo "bench: /usr/bin/time is missing (apt-get install time)" >&2; exit 1; }

if [ ! -f "$data/.complete" ]; then
    echo "Generating the boards at scale $scale into $data ..."
    rm -rf "$data"
    mkdir -p "$data"
    "$build/gen_board" "$data" all "$scale"
    for b in b1 b3; do cp -a "$data/$b/files" "$data/$b/files.pristine"; done
    touch "$data/.complete"
fi

# Puts a board back as generated: lists, no backups, no positions, no logs.
# The restored lists go to the disk before the timed run starts: otherwise
# their writing would still be under way and slow down every sync of the
# run that follows, the more the more it syncs.
restore() {
    local board="$1"
    rm -rf "$board/files" "$board"/logs/*.znt "$board"/zunt.sta "$board"/zunt.log
    cp -a "$board/files.pristine" "$board/files"
    sync
}

# time_once <dir> <prepare-fn or -> <command...>: runs the command once in
# <dir>; sets ONE_S (wall seconds) and ONE_KB (peak resident set).
time_once() {
    local dir="$1" prep="$2"
    shift 2
    local out t0 t1
    out="$(mktemp)"
    [ "$prep" = - ] || "$prep"
    t0=$(date +%s%N)
    # Output goes to a file: grep stops at its first match when it writes
    # to /dev/null.
    (cd "$dir" && "$TIME" -v -o "$out" "$@" >"$out.stdout" 2>&1) || {
        echo "bench: failed: $*" >&2
        cat "$out" >&2
        exit 1
    }
    t1=$(date +%s%N)
    ONE_S="$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')"
    ONE_KB="$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out")"
    rm -f "$out" "$out.stdout"
}

# Every case is measured in rounds: each round runs every case of a
# benchmark once, one after the other, so that a case and its peer or floor
# meet the same load on the host. T[case,round] holds the times, PEAK[case]
# the largest peak resident set.
declare -A T PEAK

# round <round> <case> <dir> <prepare-fn or -> <command...>
round() {
    local r="$1" name="$2"
    shift 2
    time_once "$@"
    T[$name,$r]=$ONE_S
    [ "${PEAK[$name]:-0}" -ge "$ONE_KB" ] || PEAK[$name]=$ONE_KB
}

median() { sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

# med <case>: the median time of a case.
med() {
    local i
    for ((i = 0; i < runs; i++)); do echo "${T[$1,$i]}"; done | median
}

# ratio <case> <peer>: the median, over the rounds, of the case's time
# divided by its peer's time in the same round.
ratio() {
    local i
    for ((i = 0; i < runs; i++)); do
        awk -v a="${T[$1,$i]}" -v b="${T[$2,$i]}" 'BEGIN { print (b > 0 ? a / b : 0) }'
    done | median
}

row() {  # name case peer_name peer_case
    awk -v n="$1" -v t="$(med "$2")" -v m="${PEAK[$2]}" -v pn="$3" -v pt="$(med "$4")" \
        -v pm="${PEAK[$4]}" -v r="$(ratio "$2" "$4")" 'BEGIN {
        printf "%-4s %9.3f s %8.1f MB | %-26s %9.3f s %8.1f MB | ratio %5.2f\n",
               n, t, m / 1024, pn, pt, pm / 1024, r }'
}

echo "zunt: $zunt   data: $data   runs per figure: $runs"
echo

# B1: a whole counting run with /f against grep and wc -l on the same log.
b1="$data/b1"
prep_b1() { restore "$b1"; }
(cd "$b1" && grep -c -F -e DL- -e sent: logs/b1.log >/dev/null)  # warm the cache
for ((i = 0; i < runs; i++)); do
    round $i grep "$b1" - grep -c -F -e DL- -e sent: logs/b1.log
    round $i wc "$b1" - wc -l logs/b1.log
    round $i b1 "$b1" prep_b1 "$zunt" /czunt.ctl /f
done
row B1 b1 "grep -c -F" grep
row B1 b1 "wc -l" wc

# B2: one list rewrite against a plain copy (Google Benchmark).
if [ -x "$build/b2_update" ]; then
    "$build/b2_update" "$data/b2/files.bbs" --benchmark_repetitions=$((runs > 5 ? runs : 5)) \
        --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true 2>/dev/null |
        awk '/_median/ { name = $1; sub(/\/repeats:[0-9]+/, "", name); sub(/_median$/, "", name); t[name] = $2 }
             END {
               printf "B2   update_files_bbs %8.3f ms | plain copy + sync %8.3f ms | ratio %5.2f\n",
                      t["BM_update_files_bbs"], t["BM_plain_copy_sync"],
                      t["BM_update_files_bbs"] / t["BM_plain_copy_sync"]
               printf "B2   (no sync)        %8.3f ms | plain copy        %8.3f ms | ratio %5.2f\n",
                      t["BM_update_files_bbs_nosync"], t["BM_plain_copy"],
                      t["BM_update_files_bbs_nosync"] / t["BM_plain_copy"] }'
    time_once "$data/b2" - "$build/b2_update" "$data/b2/files.bbs" --benchmark_filter=BM_update_files_bbs$ \
        --benchmark_repetitions=1
    echo "B2   peak memory of the update benchmark: $(awk -v m="$ONE_KB" 'BEGIN {printf "%.1f MB", m / 1024}')"
else
    echo "B2   skipped: b2_update was not built (needs libbenchmark-dev)"
fi

# The floor of B3 and B4: every list read and written once, synced like
# ZUNT's own rewrites, and without the syncs for comparison. The counting
# run once read its log twice (the position search, then the scan): a floor
# that does the same reads is given too.
# B3: a whole counting run on the big board. B4: initialization with
# sortby name on the same board.
b3="$data/b3"
prep_b3() { restore "$b3"; }
lists="find files -name files.bbs | sort | xargs '$build/floor_copy'"
for ((i = 0; i < runs; i++)); do
    round $i floor "$b3" prep_b3 sh -c "$lists --sync"
    round $i floor_nosync "$b3" prep_b3 sh -c "$lists"
    round $i floor_log "$b3" prep_b3 sh -c "cat logs/b3.log logs/b3.log >/dev/null; $lists --sync"
    round $i b3 "$b3" prep_b3 "$zunt" /czunt.ctl /f
    round $i b4 "$b3" prep_b3 "$zunt" /cinit.ctl /i
done
# against <label> <case> <floor case>: a further floor for a case.
against() {
    awk -v l="$1" -v f="$(med "$3")" -v r="$(ratio "$2" "$3")" \
        'BEGIN { printf "%s %.3f s, ratio %.2f\n", l, f, r }'
}
row B3 b3 "lists read+write+sync" floor
against "B3   floor without sync" b3 floor_nosync
against "B3   floor with the log read twice" b3 floor_log
row B4 b4 "lists read+write+sync" floor
against "B4   floor without sync" b4 floor_nosync

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

# measure <dir> <prepare-fn or -> <command...>: runs the command $runs times
# in <dir> and sets MED_S (median wall seconds) and PEAK_KB (largest peak
# resident set).
measure() {
    local dir="$1" prep="$2"
    shift 2
    local times=() peak=0 i out
    out="$(mktemp)"
    for ((i = 0; i < runs; i++)); do
        [ "$prep" = - ] || "$prep"
        local t0 t1
        t0=$(date +%s%N)
        # Output goes to a file: grep stops at its first match when it
        # writes to /dev/null.
        (cd "$dir" && "$TIME" -v -o "$out" "$@" >"$out.stdout" 2>&1) || {
            echo "bench: failed: $*" >&2
            cat "$out" >&2
            exit 1
        }
        t1=$(date +%s%N)
        times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')")
        local kb
        kb="$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out")"
        ((kb > peak)) && peak=$kb
    done
    rm -f "$out" "$out.stdout"
    MED_S="$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')"
    PEAK_KB=$peak
}

row() {  # name time peak peer_name peer_time peer_peak
    awk -v n="$1" -v t="$2" -v m="$3" -v pn="$4" -v pt="$5" -v pm="$6" 'BEGIN {
        r = pt > 0 ? t / pt : 0
        printf "%-4s %9.3f s %8.1f MB | %-26s %9.3f s %8.1f MB | ratio %5.2f\n",
               n, t, m / 1024, pn, pt, pm / 1024, r }'
}

echo "zunt: $zunt   data: $data   runs per figure: $runs"
echo

# B1: a whole counting run with /f against grep on the same log.
b1="$data/b1"
prep_b1() { restore "$b1"; }
(cd "$b1" && grep -c -F -e DL- -e sent: -e Sent- logs/b1.log >/dev/null)  # warm the cache
measure "$b1" - grep -c -F -e DL- -e sent: -e Sent- logs/b1.log
g_t=$MED_S g_m=$PEAK_KB
measure "$b1" prep_b1 "$zunt" /czunt.ctl /f
row B1 "$MED_S" "$PEAK_KB" "grep -c -F" "$g_t" "$g_m"

# B2: one list rewrite against a plain copy (Google Benchmark).
if [ -x "$build/b2_update" ]; then
    "$build/b2_update" "$data/b2/files.bbs" --benchmark_repetitions=$((runs > 5 ? runs : 5)) \
        --benchmark_report_aggregates_only=true 2>/dev/null |
        awk '/_median/ { name = $1; sub(/\/repeats:[0-9]+/, "", name); sub(/_median$/, "", name); t[name] = $2 }
             END {
               printf "B2   update_files_bbs %8.3f ms | plain copy + sync %8.3f ms | ratio %5.2f\n",
                      t["BM_update_files_bbs"], t["BM_plain_copy_sync"],
                      t["BM_update_files_bbs"] / t["BM_plain_copy_sync"]
               printf "B2   (no sync)        %8.3f ms | plain copy        %8.3f ms | ratio %5.2f\n",
                      t["BM_update_files_bbs_nosync"], t["BM_plain_copy"],
                      t["BM_update_files_bbs_nosync"] / t["BM_plain_copy"] }'
    measure "$data/b2" - "$build/b2_update" "$data/b2/files.bbs" --benchmark_filter=BM_update_files_bbs$ \
        --benchmark_repetitions=1
    echo "B2   peak memory of the update benchmark: $(awk -v m="$PEAK_KB" 'BEGIN {printf "%.1f MB", m / 1024}')"
else
    echo "B2   skipped: b2_update was not built (needs libbenchmark-dev)"
fi

# The floor of B3 and B4: every list read and written once, synced like
# ZUNT's own rewrites, and without the syncs for comparison.
# B3: a whole counting run on the big board.
b3="$data/b3"
prep_b3() { restore "$b3"; }
measure "$b3" prep_b3 sh -c "find files -name files.bbs | sort | xargs '$build/floor_copy' --sync"
f_t=$MED_S f_m=$PEAK_KB
measure "$b3" prep_b3 sh -c "find files -name files.bbs | sort | xargs '$build/floor_copy'"
fn_t=$MED_S
# The counting run also reads its log twice by design (the position search,
# then the scan): a floor that does the same reads.
measure "$b3" prep_b3 sh -c "cat logs/b3.log logs/b3.log >/dev/null; find files -name files.bbs | sort | xargs '$build/floor_copy' --sync"
fl_t=$MED_S
measure "$b3" prep_b3 "$zunt" /czunt.ctl /f
row B3 "$MED_S" "$PEAK_KB" "lists read+write+sync" "$f_t" "$f_m"
awk -v t="$MED_S" -v f="$fn_t" 'BEGIN { printf "B3   floor without sync %.3f s, ratio %.2f\n", f, t / f }'
awk -v t="$MED_S" -v f="$fl_t" 'BEGIN { printf "B3   floor with the log read twice %.3f s, ratio %.2f\n", f, t / f }'

# B4: initialization with sortby name on the big board.
measure "$b3" prep_b3 "$zunt" /cinit.ctl /i
row B4 "$MED_S" "$PEAK_KB" "lists read+write+sync" "$f_t" "$f_m"
awk -v t="$MED_S" -v f="$fn_t" 'BEGIN { printf "B4   floor without sync %.3f s, ratio %.2f\n", f, t / f }'

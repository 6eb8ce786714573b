#!/bin/bash
# Where T8HostLink stands beside its peers, every figure measured in this one run:
#   screen    the screen model alone on device text at 80 columns (t8terminal_bench)
#   window    the window taking a flood on a pty beside cat on the same pty (t8flood_bench),
#             3 x RUNS runs each
#   examine   t8examine beside objcopy (srec_info where objcopy has no reader) on ~20 MB files
#             of the same 8 MiB of data, the best of a few runs each, with the peak memory
#             (Intel HEX, Motorola S2 and Tektronix; no S3 file: t8examine passes S3 records
#             over, so it would time a skip against a load)
#   batch     a t8batch run against a paced t8sim at 115200 (a 78 KB TX, 32 KiB read back,
#             18 keys): its time as a share of the line time its bytes take, at the default
#             step and at --step 10, the median of RUNS runs each
# A part whose programs are missing is skipped with a note. The files are generated from a
# fixed seed, so every run measures the same bytes. Takes a few minutes on two cores.
# usage: bench/compare.sh [BUILD_DIR [FLOOD_MEGABYTES]]   (default build/release, 32)
#        PARTS="examine batch" RUNS=5 bench/compare.sh ...   only those parts, 5 runs each
set -euo pipefail
BUILD=${1:-build/release}
FLOOD_MB=${2:-32}
RUNS=${RUNS:-3}
WORK=$(mktemp -d /tmp/t8compare.XXXXXX)
SIM=""
cleanup() {
    [ -n "$SIM" ] && kill "$SIM" 2>/dev/null && wait "$SIM" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
have() { [ -x "$1" ] || command -v "$1" > /dev/null 2>&1; }
skip() { echo "  (skipped: $*)"; }

# best_of COMMAND...: "WALL_SECONDS CPU_SECONDS PEAK_KB", the best of $RUNS runs each (output
# discarded). The processor time (perf's task clock where perf runs, else user + system) tells
# more than the wall clock on a busy machine.
best_of() {
    local wall="" cpu="" peak="" line
    for _ in $(seq "$RUNS"); do
        line=$(/usr/bin/time -f "%e %U %S %M" "$@" 2>&1 > /dev/null | tail -n 1)
        if perf stat -x, -e task-clock -o "$WORK/perf.txt" -- "$@" > /dev/null 2>&1 ||
            grep -q task-clock "$WORK/perf.txt" 2>/dev/null; then
            line="$line $(awk -F, '/task-clock/ { print $1 / 1000 }' "$WORK/perf.txt")"
        else
            line="$line $(echo "$line" | awk '{ print $2 + $3 }')"
        fi
        wall=$(echo "$line $wall" | awk '{ print ($6 == "" || $1 < $6) ? $1 : $6 }')
        cpu=$(echo "$line $cpu" | awk '{ print ($6 == "" || $5 < $6) ? $5 : $6 }')
        peak=$(echo "$line" | awk '{ print $4 }')
    done
    echo "$wall $cpu $peak"
}
field() { echo "$1" | cut -d' ' -f"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

screen() {
    echo "screen model, MB/s of device text, the median and spread of $((RUNS * 2)) runs"
    local bench=$BUILD/bench/t8terminal_bench
    have "$bench" || { skip "no $bench"; return; }
    # A shared machine's speed drifts from second to second: one run says little.
    "$bench" --benchmark_filter='/columns:80' --benchmark_min_time=0.5 \
        --benchmark_repetitions=$((RUNS * 2)) --benchmark_report_aggregates_only=true 2>/dev/null |
        grep -E '^BM_.*_(median|stddev)' | sed 's/^/  /'
}

window() {
    # Both take the flood at the pace of the kernel's pty, whose wakes on a shared machine
    # drift a run's time by a third either way: three times the runs, in turns, steady the medians.
    local runs=$((RUNS * 3))
    echo "window against cat, a ${FLOOD_MB} MB flood on a pty, $runs runs each in turns"
    local bench=$BUILD/bench/t8flood_bench program=$BUILD/app/t8hostlink
    have "$bench" && have "$program" || { skip "no $bench or $program"; return; }
    "$bench" "$program" "$FLOOD_MB" "$runs" 2>&1 | sed 's/^/  /' || true
}

# The examine files: one random block, written by srec_cat in each format, 32 bytes a record.
make_examine_files() {
    python3 -c 'import random, sys; random.seed(19); sys.stdout.buffer.write(random.randbytes(8 << 20))' \
        > "$WORK/data.bin"
    local obs=-Output_Block_Size=32
    srec_cat "$WORK/data.bin" -binary -o "$WORK/intel.hex" -Intel $obs
    srec_cat "$WORK/data.bin" -binary -o "$WORK/motorola.s28" -Motorola -Address_Length=3 $obs
    srec_cat "$WORK/data.bin" -binary -o "$WORK/tek.tek" -Tektronix_Extended $obs
}

examine() {
    echo "t8examine against its peer, best of $RUNS runs (ratio: the peer's time over ours)"
    local tool=$BUILD/tools/t8examine
    have "$tool" && have srec_cat && have /usr/bin/time || { skip "no $tool, srec_cat or time"; return; }
    make_examine_files
    printf "  %-13s %21s  %-16s %21s  %s\n" file "t8examine wall/cpu/peak" peer "wall/cpu/peak" \
        "ratio wall, cpu"
    local file peer label ours theirs
    for file in intel.hex motorola.s28 tek.tek; do
        case $file in
            intel.hex) label="objcopy -I ihex" peer=(objcopy -I ihex -O binary "$WORK/$file" "$WORK/out.bin") ;;
            motorola.s28) label="objcopy -I srec" peer=(objcopy -I srec -O binary "$WORK/$file" "$WORK/out.bin") ;;
            tek.tek) label="srec_info" peer=(srec_info "$WORK/$file" -Tektronix_Extended) ;;
        esac
        ours=$(best_of "$tool" "$WORK/$file")
        theirs=$(best_of "${peer[@]}")
        printf "  %-13s %5.2f s %5.3f s %5.1f MiB  %-16s %5.2f s %5.3f s %5.1f MiB  %5.2f %5.2f\n" \
            "$file" "$(field "$ours" 1)" "$(field "$ours" 2)" "$(ratio "$(field "$ours" 3)" 1024)" \
            "$label" "$(field "$theirs" 1)" "$(field "$theirs" 2)" \
            "$(ratio "$(field "$theirs" 3)" 1024)" "$(ratio "$(field "$theirs" 1)" "$(field "$ours" 1)")" \
            "$(ratio "$(field "$theirs" 2)" "$(field "$ours" 2)")"
    done
    echo "  (the image holds 8 MiB; $(basename "$tool") on an empty file peaks at" \
        "$(/usr/bin/time -f %M "$tool" /dev/null 2>&1 > /dev/null | tail -n 1) KB)"
    echo "  (no S3 row: S3 records are passed over, so an S3 file loads nothing here)"
}

start_sim() {
    "$SIM_PROGRAM" --line-rate auto > "$WORK/sim.out" 2> /dev/null &
    SIM=$!
    for _ in $(seq 50); do
        PTY=$(head -n 1 "$WORK/sim.out" 2> /dev/null)
        [ -n "$PTY" ] && return 0
        sleep 0.1
    done
    return 1
}

# batch_once STEP-OPTIONS...: the elapsed seconds of one run against a fresh simulator
batch_once() {
    local start end
    rm -f "$WORK/back.hex"
    start_sim || { skip "the simulator did not start"; return 1; }
    start=$(date +%s%N)
    XDG_CONFIG_HOME=$WORK/config timeout 120 "$BATCH" --port "$PTY" --baud 115200 --timeout 20 \
        "$@" "$WORK/job.t8b" > "$WORK/batch.out" 2>&1 || { cat "$WORK/batch.out" >&2; }
    end=$(date +%s%N)
    kill "$SIM" 2>/dev/null && wait "$SIM" 2>/dev/null || true
    SIM=""
    srec_cat "$WORK/back.hex" -Intel -crop 0 $((28 << 10)) -o - -binary 2>/dev/null |
        cmp -s - "$WORK/part.bin" || echo "  (the data read back are not those sent!)" >&2
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f\n", (b - a) / 1e9 }'
}

# batch_run STEP-OPTIONS...: the median of RUNS runs, and its share of the line time (the
# line's pace and the machine's drift a run's time by a few tenths of a second)
batch_run() {
    local elapsed line times=()
    for _ in $(seq "$RUNS"); do
        times+=("$(batch_once "$@")") || return
    done
    elapsed=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
    # Each byte is ten bits on the line: a start bit, eight data bits and a stop bit.
    line=$(awk -v s="$(stat -c %s "$WORK/part.hex")" -v r="$(stat -c %s "$WORK/back.hex" 2>/dev/null || echo 0)" \
        'BEGIN { printf "%.2f", (s + r) * 10 / 115200 }')
    printf "  %-12s %6.2f s for %6.2f s of line time: the line busy %5.1f %% of it, %5.1f %% over (median of %s: %s s)\n" \
        "${*:-default step}" "$elapsed" "$line" "$(awk -v e="$elapsed" -v l="$line" 'BEGIN { print 100 * l / e }')" \
        "$(awk -v e="$elapsed" -v l="$line" 'BEGIN { print 100 * (e - l) / l }')" "$RUNS" "${times[*]}"
}

batch() {
    echo "t8batch against a paced t8sim at 115200: run time as a share of its line time"
    BATCH=$BUILD/tools/t8batch/t8batch
    SIM_PROGRAM=$BUILD/sim/t8sim
    have "$BATCH" && have "$SIM_PROGRAM" && have srec_cat || { skip "no $BATCH, $SIM_PROGRAM or srec_cat"; return; }
    python3 -c 'import random, sys; random.seed(8); sys.stdout.buffer.write(random.randbytes(28 << 10))' \
        > "$WORK/part.bin"
    srec_cat "$WORK/part.bin" -binary -o "$WORK/part.hex" -Intel -Output_Block_Size=16 -Line_Termination=CRLF
    # What comes back: the part, then the device's memory up to 32 KiB.
    printf 'T8 :\r\nTX part.hex RE:\r\nRX back.hex SE00000,07FFF:\r\n' > "$WORK/job.t8b"
    mkdir -p "$WORK/config"
    batch_run
    if "$BATCH" --help | grep -q -- --step; then
        batch_run --step 10
    else
        skip "this t8batch has no --step"
    fi
}

PARTS=${PARTS:-screen window examine batch}
for part in $PARTS; do
    "$part"
done

#!/bin/bash
# One t8batch driving N ports against N separate t8batch processes, each port a t8sim paced at
# the line's rate (--line-rate auto): the batch sends a ~78 KB Intel HEX file and reads 32 KiB
# back. Prints each port's share of its line (the time its bytes need at the rate, over the
# time its run took) and the CPU the t8batch processes used (user + system, from
# /usr/bin/time -v), for both ways.
#   usage: bench/gang.sh T8BATCH T8SIM [PORTS] [BAUD]
set -euo pipefail
T8BATCH=$(realpath "${1:?path to t8batch}")
T8SIM=$(realpath "${2:?path to t8sim}")
PORTS=${3:-8}
BAUD=${4:-115200}
DIR=$(mktemp -d /tmp/t8gang.XXXXXX)
SIMS=()
cleanup() {
    for sim in "${SIMS[@]}"; do kill "$sim" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$DIR"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$DIR/config

# 1750 records of 16 bytes: 28000 bytes of data, 78 KB of text.
/usr/bin/python3 - "$DIR/part.hex" <<'EOF'
import random, sys
random.seed(7)
with open(sys.argv[1], "w", newline="") as out:
    for n in range(1750):
        data = bytes(random.randrange(256) for _ in range(16))
        record = bytes([16, (n * 16) >> 8, (n * 16) & 0xFF, 0]) + data
        out.write(":" + record.hex().upper() + "%02X\r\n" % (-sum(record) & 0xFF))
    out.write(":00000001FF\r\n")
EOF
printf 'T8 :\r\nTX part.hex RE:\r\nRX back.hex SE00000,07FFF:\r\n' > "$DIR/job.t8b"

start_sims() {
    rm -rf "$DIR/ports"
    mkdir "$DIR/ports"
    for i in $(seq "$PORTS"); do
        "$T8SIM" --line-rate auto --link "$DIR/ports/sim$i" > /dev/null 2>&1 &
        SIMS+=($!)
    done
    for i in $(seq "$PORTS"); do
        for _ in $(seq 100); do [ -e "$DIR/ports/sim$i" ] && break; sleep 0.05; done
    done
}
stop_sims() {
    for sim in "${SIMS[@]}"; do kill "$sim" 2>/dev/null || true; done
    for sim in "${SIMS[@]}"; do wait "$sim" 2>/dev/null || true; done
    SIMS=()
}

# CPU seconds (user + system) of a /usr/bin/time -v report.
cpu_of() {
    awk -F': ' '/User time|System time/ { s += $2 } END { printf "%.2f", s }' "$@"
}

# Each port's share of its line, from the JSON reports given on standard input (one a line).
shares() {
    /usr/bin/python3 -c '
import json, sys
baud = int(sys.argv[1])
for line in sys.stdin:
    r = json.loads(line)
    for p in r.get("ports", [r]):
        moved = sum(f["bytes"] for f in p["sent"]) + sum(f["bytes"] for f in p["received"])
        line_ms = moved * 10 * 1000 / baud
        print("    %-8s %-4s %7d bytes  %6.2f s  line share %5.1f %%" % (
            p.get("name", "alone"), p["result"], moved, p["elapsedMs"] / 1000,
            100 * line_ms / max(p["elapsedMs"], 1)))
' "$BAUD"
}

echo "$PORTS ports at $BAUD baud; $(stat -c %s "$DIR/part.hex") bytes sent, 32 KiB read back"
start_sims
ports=()
for i in $(seq "$PORTS"); do ports+=(--port "$DIR/ports/sim$i"); done
/usr/bin/time -v -o "$DIR/gang.time" "$T8BATCH" "${ports[@]}" --baud "$BAUD" --timeout 30 \
    --json "$DIR/job.t8b" > "$DIR/gang.out" 2> "$DIR/gang.err" || true
stop_sims
echo "one process, $PORTS ports:"
tail -n 1 "$DIR/gang.out" | shares
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$DIR/gang.time")
cpu=$(cpu_of "$DIR/gang.time")
echo "    CPU $cpu s in $wall wall; $(awk -v c="$cpu" -v w="$wall" 'BEGIN {
    n = split(w, t, ":"); s = t[n] + (n > 1 ? t[n-1] * 60 : 0);
    printf "%.1f %% of one core, %.1f %% of two", 100 * c / s, 50 * c / s }')"

start_sims
for i in $(seq "$PORTS"); do
    /usr/bin/time -v -o "$DIR/alone$i.time" "$T8BATCH" --port "$DIR/ports/sim$i" --baud "$BAUD" \
        --timeout 30 --json "$DIR/job.t8b" > "$DIR/alone$i.out" 2> "$DIR/alone$i.err" &
done
wait_started=$(date +%s.%N)
for job in $(jobs -p); do
    case " ${SIMS[*]} " in *" $job "*) ;; *) wait "$job" || true ;; esac
done
wall=$(echo "$(date +%s.%N) - $wait_started" | bc)
stop_sims
echo "$PORTS processes, a port each:"
for i in $(seq "$PORTS"); do tail -n 1 "$DIR/alone$i.out"; done | shares
cpu=$(cpu_of "$DIR"/alone*.time)
echo "    CPU $cpu s in ${wall%??????} s wall; $(awk -v c="$cpu" -v s="$wall" 'BEGIN {
    printf "%.1f %% of one core, %.1f %% of two", 100 * c / s, 50 * c / s }')"

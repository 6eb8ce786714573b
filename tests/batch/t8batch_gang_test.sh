#!/bin/sh
# One t8batch driving a gang of simulated T8s: per-port files and reports, the first failure's
# exit status in the order given, a stop signal reaching every port, --serial across ports.
# Usage: t8batch_gang_test.sh T8BATCH T8SIM
set -u
T8BATCH=$1
T8SIM=$2
. "$(dirname "$0")/t8batch_lib.sh"
SIMS_UP=""
stop_gang() {
    for sim in $SIMS_UP; do kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null; done
    SIMS_UP=""
}
trap 'stop_gang; cleanup' EXIT
mkdir "$DIR/ports"

start_port() { # NAME [t8sim options...]: a simulator behind $DIR/ports/NAME
    name=$1
    shift
    "$T8SIM" --link "$DIR/ports/$name" "$@" > "$DIR/$name.sim" 2>&1 &
    SIMS_UP="$SIMS_UP $!"
    for _ in $(seq 50); do
        [ -e "$DIR/ports/$name" ] && return 0
        sleep 0.1
    done
    fail "simulator $name did not start"
}

printf ':10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n' > "$DIR/part.hex"
printf 'PRINT go\r\nT8 :\r\nTX part.hex RE:\r\nRX back.hex SE00000,0000F:\r\n' > "$DIR/job.t8b"
start_port a-port0
start_port b-port0 --corrupt-record 1
start_port c-port0
run 1 --port "$DIR/ports/*-port0" --port "$DIR/ports/gone" --timeout 10 --json \
    --log "$DIR/burn.log" --record "$DIR/parts.jsonl" --junit "$DIR/gang.xml" "$DIR/job.t8b"

for port in a-port0 c-port0; do
    tail -n 1 "$DIR/burn.$port.log" | grep -q ' end: ok: batch file executed successfully$' ||
        fail "$port's log"
    cmp -s "$DIR/back.$port.hex" "$DIR/part.hex" || fail "$port's RX file"
    has out "$port: go"
    has out "$port: ok (exit 0) in "
done
tail -n 1 "$DIR/burn.b-port0.log" | grep -q ' end: device-failure: ' || fail "b-port0's log"
tail -n 1 "$DIR/burn.gone.log" | grep -q ' end: port-error: ' || fail "the missing port's log"
has out "gone: port-error (exit 3) in "
[ -e "$DIR/back.hex" ] || [ -e "$DIR/burn.log" ] && fail "a file without its port's name"
[ -e "$DIR/back.gone.hex" ] && fail "an RX file for a port that never opened"
has err "job.t8b: 2 of 4 ports passed; the first to fail: b-port0 (device-failure)"
# The table: a heading and a row per port, in the order given, after every port's own line.
sed -n '/^port  *result  *exit  *message  *elapsed$/,$p' "$DIR/out" | grep -v '^{' > "$DIR/table"
[ "$(grep -c ' s$' "$DIR/table")" -eq 4 ] || { cat "$DIR/out"; fail "no table of four ports"; }
grep -n 'port0\|gone' "$DIR/table" | cut -d' ' -f1 | tr '\n' ' ' |
    grep -q "^2:$DIR/ports/a-port0 3:$DIR/ports/b-port0 4:$DIR/ports/c-port0 5:$DIR/ports/gone $" ||
    { cat "$DIR/table"; fail "the table's rows"; }
json_ok
$PY - "$DIR" "$DIR/json" "$DIR/parts.jsonl" "$DIR/gang.xml" <<'EOF' || fail "the reports"
import json, sys
from junitparser import JUnitXml
folder, report, records, junit = sys.argv[1:]
gang = json.load(open(report))
names = ["a-port0", "b-port0", "c-port0", "gone"]
results = ["ok", "device-failure", "ok", "port-error"]
assert (gang["result"], gang["exitCode"]) == ("device-failure", 1), gang
assert [p["name"] for p in gang["ports"]] == names, gang
assert [p["port"] for p in gang["ports"]] == [folder + "/ports/" + n for n in names]
assert [p["result"] for p in gang["ports"]] == results
for p in gang["ports"][:3]:
    assert p["received"][0]["file"] == folder + "/back." + p["name"] + ".hex", p
    assert p["sent"] == [{"file": folder + "/part.hex", "bytes": 58, "completed": True}], p
assert gang["ports"][3]["sent"] == [] and gang["ports"][3]["received"] == []
lines = [json.loads(l) for l in open(records, "rb").read().decode("utf-8").splitlines()]
assert sorted(r["port"] for r in lines) == [folder + "/ports/" + n for n in names], lines
for r in lines:
    assert r["result"] == results[names.index(r["port"].rsplit("/", 1)[1])], r
suites = list(JUnitXml.fromfile(junit))
assert [s.name for s in suites] == [folder + "/job.t8b on " + n for n in names]
assert [s.failures for s in suites] == [0, 1, 0, 1], [s.failures for s in suites]
EOF

# A pattern that finds nothing runs nothing.
run 64 --port "$DIR/ports/a-port0" --port "$DIR/ports/*-port9" --json "$DIR/job.t8b"
has err "--port $DIR/ports/*-port9 matches no device"
has out '"result":"usage-error"'
# The order given decides: the missing port first gives its status; a device that is no serial
# port fails alone too.
run 3 --port "$DIR/ports/gone" --port /dev/null --port "$DIR/ports/b-port0" --timeout 10 \
    "$DIR/job.t8b"
has out "null: port-error (exit 3) in "
# The gang's JUnit report that cannot be written fails a gang whose ports all passed.
run 4 --port "$DIR/ports/a-port0" --port "$DIR/ports/c-port0" --timeout 10 --junit /dev/full \
    --json "$DIR/job.t8b"
has out '{"result":"file-error","exitCode":4,"message":"2 of 2 ports passed; cannot write the JUnit report /dev/full: '

# --serial in a gang: each port takes a number of its own; the failed port's number is handed
# back and taken first by the next gang, so every part that passed holds a different number.
start_port d-port0
start_port e-port0 --corrupt-record 1 # b-port0 spoiled its one record above
printf 'next = 1000\nstep = 1\naddress = 0x0004\nbytes = 2\nencoding = big\n' > "$DIR/serial.txt"
numbers() { # PORTS...: the number each port's part holds
    for port in "$@"; do
        $PY - "$DIR/back.$port.hex" <<'EOF'
import sys
record = bytes.fromhex(open(sys.argv[1]).read().split()[0][1:])
print(int.from_bytes(record[4 + 4:4 + 6], "big"))
EOF
    done
}
serial_key() { sed -n "s/^$1 *= *\([0-9, ]*\).*/\1/p" "$DIR/serial.txt" | sed 's/ *$//'; }
rm -f "$DIR"/back.*
run 1 --port "$DIR/ports/*-port0" --timeout 10 --serial "$DIR/serial.txt" "$DIR/job.t8b"
first=$(numbers a-port0 b-port0 c-port0 d-port0 | tr '\n' ' ')
back=$(serial_key returned)
[ "$(serial_key next)" = 1005 ] && [ -n "$back" ] && [ -z "$(serial_key reserved)" ] ||
    { cat "$DIR/serial.txt"; fail "the gang's serial file"; }
rm -f "$DIR"/back.*
run 0 --port "$DIR/ports/a-port0" --port "$DIR/ports/c-port0" --port "$DIR/ports/d-port0" \
    --timeout 10 --serial "$DIR/serial.txt" "$DIR/job.t8b"
second=$(numbers a-port0 c-port0 d-port0 | tr '\n' ' ')
[ "$(printf '%s\n' $first $second | sort -n | tr '\n' ' ')" = "1000 1001 1002 1003 1004 1005 1006 " ] ||
    fail "the parts hold $first and $second, not 1000 to 1006 once each"
case " $second" in *" $back "*) ;; *) fail "the handed-back $back was not taken again" ;; esac
[ "$(serial_key next)" = 1007 ] && [ -z "$(serial_key returned)" ] ||
    { cat "$DIR/serial.txt"; fail "the serial file after the second gang"; }

# SIGTERM in the middle of every port's receive: each ends "aborted", keeps its partial data.
stop_gang
rm -rf "$DIR/ports" "$DIR"/back.*
mkdir "$DIR/ports"
head -c 65536 /dev/urandom > "$DIR/image.bin"
printf 'T8 :\r\nRX back.hex SE00000,0FFFF:\r\nPRINT never\r\n' > "$DIR/rxbig.t8b"
for port in p1 p2 p3; do
    start_port "$port" --line-rate 9600 --load "$DIR/image.bin"
done
timeout 60 "$T8BATCH" --port "$DIR/ports/p*" --timeout 10 --json --log "$DIR/stop.log" \
    "$DIR/rxbig.t8b" > "$DIR/out" 2> "$DIR/err" < /dev/null &
RUN=$!
for port in p1 p2 p3; do
    for _ in $(seq 400); do
        sed -n '/ rx: armed/,$p' "$DIR/stop.$port.log" 2>/dev/null | grep -qF 'host: \r' && break
        sleep 0.05
    done
done
sleep 1.5
kill -TERM "$RUN"
status=0
wait "$RUN" || status=$?
[ "$status" -eq 5 ] || { cat "$DIR/out" "$DIR/err"; fail "a stopped gang gave $status, not 5"; }
json_ok
$PY - "$DIR" "$DIR/json" <<'EOF' || fail "the stopped gang's report"
import json, os, sys
folder, report = sys.argv[1:]
gang = json.load(open(report))
assert (gang["result"], gang["exitCode"]) == ("aborted", 5), gang
for p in gang["ports"]:
    assert (p["result"], p["message"]) == ("aborted", "stopped by SIGTERM"), p
    rx, = p["received"]
    target = folder + "/back." + p["name"] + ".hex"
    assert rx["partial"] and rx["target"] == target and rx["file"] == target + ".partial", rx
    assert 0 < os.path.getsize(rx["file"]) == rx["bytes"] and not os.path.exists(target), rx
EOF
for port in p1 p2 p3; do
    tail -n 1 "$DIR/stop.$port.log" | grep -q ' end: aborted: stopped by SIGTERM$' ||
        fail "$port's log does not end with the verdict"
done
echo "gang: ok"

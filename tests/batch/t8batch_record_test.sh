#!/bin/sh
# Three t8batch runs at once against three simulated T8s, as three stations of a line would
# run: each appends its record to the same --record file and writes its own --junit report.
# The record lines must be whole, their hashes those of the files, and a real JUnit reader
# (junitparser) must read each report. Usage: t8batch_record_test.sh T8BATCH T8SIM
set -u
T8BATCH=$1
T8SIM=$2
. "$(dirname "$0")/t8batch_lib.sh"
STATIONS=""
trap 'for sim in $STATIONS; do kill "$sim" 2>/dev/null; done; cleanup' EXIT

start_station() { # name: its simulator's pty in $DIR/NAME.pty
    name=$1
    "$T8SIM" > "$DIR/$name.sim" 2>/dev/null &
    STATIONS="$STATIONS $!"
    for _ in $(seq 50); do
        [ -s "$DIR/$name.sim" ] && head -n 1 "$DIR/$name.sim" > "$DIR/$name.pty" && return 0
        sleep 0.1
    done
    fail "simulator $name did not start"
}

for station in a b c; do
    mkdir "$DIR/$station"
    printf ':10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n' > "$DIR/$station/part.hex"
    printf 'PRINT station %s\r\nT8 :\r\nTX part.hex RE:\r\nRX back.hex SE00000,0000F:\r\n' \
        "$station" > "$DIR/$station/job.t8b"
    start_station "$station"
done
for station in a b c; do
    timeout 60 "$T8BATCH" --port "$(cat "$DIR/$station.pty")" --timeout 10 --json \
        --record "$DIR/parts.jsonl" --junit "$DIR/$station.xml" "$DIR/$station/job.t8b" \
        > "$DIR/$station.out" 2> "$DIR/$station.err" < /dev/null &
    eval "run_$station=$!"
done
for station in a b c; do
    eval "pid=\$run_$station"
    status=0
    wait "$pid" || status=$?
    [ $status -eq 0 ] || { cat "$DIR/$station.out" "$DIR/$station.err"; fail "station $station gave $status"; }
done

[ "$(wc -l < "$DIR/parts.jsonl")" -eq 3 ] || { cat "$DIR/parts.jsonl"; fail "not three record lines"; }
for station in a b c; do
    $PY - "$DIR/parts.jsonl" "$DIR/$station" "$(sha256sum < "$DIR/$station/job.t8b" | cut -d' ' -f1)" \
        "$(sha256sum < "$DIR/$station/part.hex" | cut -d' ' -f1)" \
        "$(sha256sum < "$DIR/$station/back.hex" | cut -d' ' -f1)" "$(hostname)" \
        "$(cat "$DIR/$station.pty")" "$("$T8BATCH" --version | cut -d' ' -f2)" <<'EOF' ||
import json, re, sys
path, folder, batch, sent, received, station, port, version = sys.argv[1:]
records = [json.loads(line) for line in open(path, "rb").read().decode("utf-8").splitlines()]
record, = [r for r in records if r["batch"]["file"] == folder + "/job.t8b"]
assert record["batch"]["sha256"] == batch, "batch hash"
assert record["sent"] == [{"file": folder + "/part.hex", "bytes": 58, "completed": True,
                           "sha256": sent}], record["sent"]
assert record["received"] == [{"file": folder + "/back.hex", "bytes": 58, "check": "No errors.",
                               "partial": False, "saved": True, "sha256": received}], record["received"]
assert (record["result"], record["exitCode"]) == ("ok", 0)
assert record["station"] == station and record["port"] == port and record["version"] == version
assert record["device"]["node"] == port
assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z", record["time"]), record["time"]
assert record["elapsedMs"] > 0
EOF
        fail "the record of station $station differs"
    $PY - "$DIR/$station.xml" "$(cat "$DIR/$station.pty")" <<'EOF' || fail "station $station's JUnit report"
import sys
from junitparser import JUnitXml
suites = list(JUnitXml.fromfile(sys.argv[1]))
assert len(suites) == 1
suite = suites[0]
assert [case.name for case in suite] == ["line 2: T8 :", "line 3: TX part.hex RE:",
                                         "line 4: RX back.hex SE00000,0000F:"], [c.name for c in suite]
assert all(not case.result for case in suite), "no failure"
properties = {p.name: p.value for p in suite.properties()}
assert properties["port"] == sys.argv[2] and properties["result"] == "ok", properties
EOF
done

# A failing line carries the failure; a record that cannot be written fails the run with 4 and
# says so, before the port opens.
port=$(cat "$DIR/a.pty")
printf 'T8 :\r\nT8 ZZ\r\nT8 :\r\n' > "$DIR/fails.t8b"
status=0
timeout 60 "$T8BATCH" --port "$port" --timeout 10 --fail-on "Unknown command" \
    --junit "$DIR/fails.xml" "$DIR/fails.t8b" > /dev/null 2>&1 || status=$?
[ $status -eq 1 ] || fail "the failing run gave $status"
$PY - "$DIR/fails.xml" <<'EOF' || fail "the failure is not on its line"
import sys
from junitparser import JUnitXml, Failure
suite, = list(JUnitXml.fromfile(sys.argv[1]))
cases = list(suite)
assert [case.name for case in cases] == ["line 1: T8 :", "line 2: T8 ZZ"]
assert not cases[0].result
failure, = cases[1].result
assert isinstance(failure, Failure) and failure.type == "device-failure", failure
assert 'the device sent "Unknown command"' in failure.message
EOF
status=0
timeout 60 "$T8BATCH" --port "$port" --timeout 10 --record /dev/null "$DIR/a/job.t8b" \
    > /dev/null 2> "$DIR/err" || status=$?
[ $status -eq 4 ] || fail "an unwritable record gave $status"
grep -q "cannot write the record /dev/null: it is not a regular file" "$DIR/err" ||
    { cat "$DIR/err"; fail "the record's failure is not said"; }
echo ok

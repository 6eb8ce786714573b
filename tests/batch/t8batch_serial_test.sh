#!/bin/sh
# t8batch --serial on the simulated T8: kept by a part that passed, handed back by one that
# failed or stopped, refused before a key, never shared by two runs at once.
# Usage: t8batch_serial_test.sh T8BATCH T8SIM
set -u
T8BATCH=$1
T8SIM=$2
. "$(dirname "$0")/t8batch_lib.sh"

# Intel HEX records 0x7FE0-0x7FFF, lower case, as some tools write them.
$PY - "$DIR/part.hex" <<'PY'
import sys
lines = []
for address in (0x7FE0, 0x7FF0):
    data = bytes(range(address & 0xFF, (address & 0xFF) + 16))
    record = bytes([16, address >> 8, address & 0xFF, 0]) + data
    lines.append(":" + (record + bytes([-sum(record) & 0xFF])).hex())
open(sys.argv[1], "w", newline="").write("\r\n".join(lines + [":00000001ff"]) + "\r\n")
PY
cp "$DIR/part.hex" "$DIR/part.orig"
printf '# serial numbers of the line\nnext = 1000   # the next part\nstep = 1\naddress = 0x7FF0\nbytes = 4\nencoding = little\n' > "$DIR/serial.txt"
printf 'T8 :\r\nTX part.hex RE:\r\nRX back.hex SE07FF0,07FFF:\r\n' > "$DIR/job.t8b"
printf 'T8 :\r\nTX part.hex RE:\r\nT8 ZZ\r\n' > "$DIR/bad.t8b"

# number_at FILE: the little-endian number at 0x7FF0 of an Intel HEX file
number_at() {
    $PY - "$1" <<'PY'
import sys
image = {}
for line in open(sys.argv[1]).read().split():
    record = bytes.fromhex(line[1:])
    assert sum(record) & 0xFF == 0, line
    if record[3] == 0:
        for i, value in enumerate(record[4:-1]):
            image[(record[1] << 8 | record[2]) + i] = value
print(int.from_bytes(bytes(image[0x7FF0 + i] for i in range(4)), "little"))
PY
}
key() { sed -n "s/^$1 *= *\([0-9, ]*\).*/\1/p" "$DIR/serial.txt" | sed 's/ *$//'; }

# A part that passed keeps 1000; the file it was sent from stays as it was.
start_sim
run 0 --port "$PTY" --timeout 10 --serial "$DIR/serial.txt" --json --log "$DIR/log" \
    --record "$DIR/parts.jsonl" "$DIR/job.t8b"
[ "$(number_at "$DIR/back.hex")" = 1000 ] || fail "the part holds $(number_at "$DIR/back.hex")"
cmp -s "$DIR/part.hex" "$DIR/part.orig" || fail "the TX file on disk changed"
[ "$(key next)" = 1001 ] && [ -z "$(key reserved)" ] || { cat "$DIR/serial.txt"; fail "next"; }
has serial.txt "# serial numbers of the line"
has serial.txt "next = 1001   # the next part"
tail -n 1 "$DIR/out" | grep -q '"serial":1000}$' || fail "the JSON lacks the serial number"
grep -q '"serial":1000,"result":"ok"' "$DIR/parts.jsonl" || fail "the record lacks the number"
has log "serial: 1000 at 0x00007FF0 (4 bytes, little)"
has log "serial: 1000 kept by the part"

# A part that failed hands 1001 back; the next part gets it.
run 1 --port "$PTY" --timeout 10 --fail-on "Unknown command" --serial "$DIR/serial.txt" --json \
    "$DIR/bad.t8b"
tail -n 1 "$DIR/out" | grep -q '"serial":1001}$' || fail "the failed run names its number"
[ "$(key next)" = 1002 ] && [ "$(key returned)" = 1001 ] || { cat "$DIR/serial.txt"; fail "hand back"; }
run 0 --port "$PTY" --timeout 10 --serial "$DIR/serial.txt" "$DIR/job.t8b"
[ "$(number_at "$DIR/back.hex")" = 1001 ] || fail "the handed-back number was not reused"
[ "$(key next)" = 1002 ] && [ -z "$(key returned)" ] || { cat "$DIR/serial.txt"; fail "reuse"; }

# A stop (here a KEY line with --key fail) hands the number back as well.
printf 'T8 :\r\nTX part.hex RE:\r\nKEY\r\n' > "$DIR/key.t8b"
run 5 --port "$PTY" --timeout 10 --key fail --serial "$DIR/serial.txt" "$DIR/key.t8b"
[ "$(key returned)" = 1002 ] || { cat "$DIR/serial.txt"; fail "a stopped run keeps its number"; }
# SIGTERM while the run waits at its KEY pause: 5, and 1002 is handed back again.
mkfifo "$DIR/keys"
exec 3<> "$DIR/keys" # standard input stays open: the pause waits
rm -f "$DIR/log"
timeout 60 "$T8BATCH" --port "$PTY" --timeout 10 --key wait --serial "$DIR/serial.txt" \
    --log "$DIR/log" "$DIR/key.t8b" < "$DIR/keys" > /dev/null 2>&1 &
RUN=$!
wait_log "line 3: KEY"
kill -TERM "$RUN"
status=0
wait "$RUN" || status=$?
exec 3>&-
[ "$status" -eq 5 ] || fail "SIGTERM at the pause gave $status, not 5"
has log "serial: 1002 handed back to $DIR/serial.txt"
[ "$(key returned)" = 1002 ] && [ -z "$(key reserved)" ] ||
    { cat "$DIR/serial.txt"; fail "a run stopped by SIGTERM keeps its number"; }

# No data at the address, or a file that cannot be used: 4 before a key is typed, no number.
cp "$DIR/serial.txt" "$DIR/serial.before"
sed 's/^address = .*/address = 0x7FFE/' "$DIR/serial.before" > "$DIR/outside.txt"
run 4 --port "$PTY" --timeout 10 --serial "$DIR/outside.txt" --log "$DIR/log" "$DIR/job.t8b"
has err "the file holds no data at 0x00007FFE-0x00008001"
grep -q "host:" "$DIR/log" && fail "a key was typed before the refusal"
cmp -s "$DIR/outside.txt" "$DIR/serial.txt" && fail "the refused file was rewritten"
cmp -s "$DIR/serial.txt" "$DIR/serial.before" || fail "a refused run changed the shared file"

# Two runs at once on two devices share the file and get two numbers.
start_sim
PTY1=$PTY
"$T8SIM" > "$DIR/second.out" 2> /dev/null &
SECOND=$!
trap 'kill "$SECOND" 2> /dev/null; cleanup' EXIT
for _ in $(seq 50); do
    PTY2=$(head -n 1 "$DIR/second.out" 2>/dev/null)
    [ -n "$PTY2" ] && break
    sleep 0.1
done
mkdir "$DIR/a" "$DIR/b"
cp "$DIR/part.hex" "$DIR/job.t8b" "$DIR/a/"
cp "$DIR/part.hex" "$DIR/job.t8b" "$DIR/b/"
timeout 60 "$T8BATCH" --port "$PTY1" --serial "$DIR/serial.txt" "$DIR/a/job.t8b" > /dev/null 2>&1 &
FIRST_RUN=$!
timeout 60 "$T8BATCH" --port "$PTY2" --serial "$DIR/serial.txt" "$DIR/b/job.t8b" > /dev/null 2>&1 ||
    fail "the second of two runs at once failed"
wait "$FIRST_RUN" || fail "the first of two runs at once failed"
kill "$SECOND" 2> /dev/null
a=$(number_at "$DIR/a/back.hex")
b=$(number_at "$DIR/b/back.hex")
[ "$a" != "$b" ] || fail "two runs at once both got $a"
[ "$(printf '%s\n%s\n' "$a" "$b" | sort -n | tr '\n' ' ')" = "1002 1003 " ] ||
    fail "two runs at once got $a and $b, not 1002 and 1003"
[ "$(key next)" = 1004 ] && [ -z "$(key returned)" ] && [ -z "$(key reserved)" ] ||
    { cat "$DIR/serial.txt"; fail "after two runs at once"; }
echo "PASS"

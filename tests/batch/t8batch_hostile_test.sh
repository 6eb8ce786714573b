#!/bin/sh
# t8batch as a hostile line would meet it, against the simulated T8: data that look like the
# device's text, special files, files that cannot be written, names that are not UTF-8, wide
# text and a file of many labels. Every run is bounded by `timeout`: a run that hangs fails the
# test.
#   Usage: t8batch_hostile_test.sh T8BATCH T8SIM
set -u
T8BATCH=$1
T8SIM=$2
. "$(dirname "$0")/t8batch_lib.sh"

# A part whose memory holds the device's own words: a read-back is data, never the device
# reporting an error, in binary and in Intel HEX (with a needle taken from its hex digits).
printf 'FLASH ERROR at 0000' > "$DIR/words.bin"
start_sim --format BINARY --load "$DIR/words.bin"
printf 'RX back.bin SE00000,0001F:\r\n' > "$DIR/rxbin.t8b"
run 0 --port "$PTY" --timeout 10 --fail-on ERROR "$DIR/rxbin.t8b"
grep -q "FLASH ERROR" "$DIR/back.bin" || fail "the read-back lacks the part's data"
start_sim --load "$DIR/words.bin"
printf 'RX back.hex SE00000,0001F:\r\nT8 ZZ\r\n' > "$DIR/rxhex.t8b"
run 1 --port "$PTY" --timeout 10 --fail-on 464C415348 --fail-on "Unknown command" --json \
    "$DIR/rxhex.t8b"
grep -q 464C415348 "$DIR/back.hex" || fail "the Intel read-back lacks the needle"
has err 'the device sent "Unknown command" (line 2: T8 ZZ)'

# A line slower than the keys: at --step 1 the device's echo of a typed range lags behind
# them, and the range is confirmed only once the echo is in, so what the receive keeps is the
# records alone, the whole range of them.
start_sim --line-rate 1200 --load "$DIR/words.bin"
printf 'RX back.hex SE00000,0001F:\r\n' > "$DIR/rxslow.t8b"
run 0 --port "$PTY" --timeout 10 --step 1 "$DIR/rxslow.t8b"
tr -d '\r' < "$DIR/back.hex" | grep -qv '^:' &&
    fail "the read-back holds more than records: $(head -c 40 "$DIR/back.hex")"
grep -q 464C415348 "$DIR/back.hex" || fail "the slow read-back lacks the part's data"

# A device that echoes each key twice, the copies a few milliseconds apart: the first copy of
# the last key is no sign that the echo is over, and the second stays out of the data.
cat > "$DIR/twice.py" <<'PY'
import os, select, tty
master, slave = os.openpty()
tty.setraw(slave)
print(os.ttyname(slave), flush=True)
def say(text):
    os.write(master, text)
keys = b""
while not select.select([master], [], [], 0.2)[0]:
    say(b"\r\n>")  # the prompt, until the host types
while True:
    key = os.read(master, 1)
    if keys != b"SE" and key in (b"S", b"E"):
        keys += key
        say(key + (b"\r\nSend INTEL memory range " if keys == b"SE" else b""))
    elif keys != b"SE":
        say(b"\r\n>")
    elif key == b"\r":
        say(b"\r\n:10000000464C415348204552524F52206174203093\r\n:00000001FF\r\n>")
        keys = b""
    else:
        say(key)
        select.select([], [], [], 0.01)
        say(key)
PY
sim=$T8SIM
T8SIM=$PY
start_sim "$DIR/twice.py"
T8SIM=$sim
run 0 --port "$PTY" --timeout 10 --step 1 "$DIR/rxslow.t8b"
tr -d '\r' < "$DIR/back.hex" | grep -qv '^:' &&
    fail "the echo went into the read-back: $(head -c 40 "$DIR/back.hex")"

# Special files: none is waited on, none is taken for a batch, TX or RX file; the run fails
# with 4 before a key is typed.
start_sim
mkfifo "$DIR/fifo.t8b" "$DIR/fifo.hex" "$DIR/fifo.log" "$DIR/fifo.rx"
run 4 --port "$PTY" "$DIR/fifo.t8b"
has err "cannot open the batch file $DIR/fifo.t8b: it is a FIFO, not a regular file"
run 4 --check "$DIR/fifo.t8b"
for line in 'TX fifo.hex RE:' 'TX . RE:' 'RX fifo.rx SE00000,0001F:' 'RX . SE00000,0001F:'; do
    printf 'T8 CH:\r\n%s\r\n' "$line" > "$DIR/special.t8b"
    run 4 --port "$PTY" --log "$DIR/log" --json "$DIR/special.t8b"
    grep -q "host:" "$DIR/log" && fail "$line: a key was typed"
    json_ok
done
printf 'T8 :\r\n' > "$DIR/enter.t8b"
run 4 --port "$PTY" --log "$DIR/fifo.log" "$DIR/enter.t8b"
has err "cannot write the log $DIR/fifo.log: it is a FIFO that no program reads"
run 4 --port "$PTY" --log /dev/full --json "$DIR/enter.t8b"
has err "cannot write the log /dev/full: No space left on device"
json_ok

# The run's own outputs are checked before any is opened: never the port or another device
# (a log would be typed into it), never a FIFO that no one reads to the end, never a file the
# run reads or writes (it would be destroyed).
printf 'T8 :\r\nTX part.hex RE:\r\nRX read.hex SE00000,0000F:\r\n' > "$DIR/outputs.t8b"
printf ':020100001234B7\r\n:00000001FF\r\n' > "$DIR/part.hex"
cp "$DIR/outputs.t8b" "$DIR/outputs.keep"
for output in "--log $PTY" "--junit $PTY" "--junit $DIR/fifo.log" "--log $DIR/outputs.t8b" \
    "--junit $DIR/part.hex" "--record $DIR/read.hex" "--log $DIR/j.xml --junit $DIR/j.xml" \
    "--record /nonexistent/parts.jsonl" "--junit $DIR" "--log $DIR/./outputs.t8b"; do
    # shellcheck disable=SC2086 # the option and its file are two words
    run 4 --port "$PTY" --json $output "$DIR/outputs.t8b"
    json_ok
    cmp -s "$DIR/outputs.t8b" "$DIR/outputs.keep" || fail "$output destroyed the batch file"
done
grep -q ':020100001234B7' "$DIR/part.hex" || fail "an output replaced the TX file"
run 4 --port "$PTY" --junit "$DIR/fifo.log" "$DIR/outputs.t8b"
has err "cannot write the JUnit report $DIR/fifo.log: it is a FIFO; give a regular file"
run 4 --port "$PTY" --log "$PTY" "$DIR/outputs.t8b"
has err "cannot write the log $PTY: it is a device"
run 4 --port "$PTY" --log "$DIR/outputs.t8b" "$DIR/outputs.t8b"
has err "cannot write the log $DIR/outputs.t8b: it is the batch file $DIR/outputs.t8b"

# What --check refuses, the run refuses before the port opens; an RX whose file is a link into
# a missing folder is such a file.
start_sim
for line in 'RX' 'TX' 'LABEL' 'RX dangling.hex SE00000,0000F:'; do
    ln -sf /nonexistent/folder/x.hex "$DIR/dangling.hex"
    printf '%s\r\nT8 :\r\n' "$line" > "$DIR/refused.t8b"
    checked=0
    timeout 60 "$T8BATCH" --check "$DIR/refused.t8b" > /dev/null 2>&1 || checked=$?
    [ $checked -ne 0 ] || fail "--check passed: $line"
    run $checked --port "$PTY" --log "$DIR/log" "$DIR/refused.t8b"
    grep -q "host:" "$DIR/log" && fail "$line: the run typed what --check refuses"
done
[ -e .partial ] || [ -e "$DIR/.partial" ] && fail "a stray .partial was written"

# Enters typed ahead answer the KEY pauses in turn; a message after a JUMP names the JUMP.
start_sim
printf 'KEY\r\nT8 :\r\nKEY\r\nT8 :\r\n' > "$DIR/keys.t8b"
# standard input stays open (a FIFO held by this shell) until the run has ended
mkfifo "$DIR/keys.fifo"
timeout 20 "$T8BATCH" --port "$PTY" --timeout 5 --key wait --log "$DIR/log" "$DIR/keys.t8b" \
    < "$DIR/keys.fifo" > "$DIR/out" 2> "$DIR/err" &
RUN=$!
exec 3> "$DIR/keys.fifo"
printf '\n\n' >&3
status=0
wait "$RUN" || status=$?
exec 3>&-
[ $status -eq 0 ] || fail "the second Enter typed ahead was not taken at once: $(cat "$DIR/err")"
printf 'LABEL a\r\nJUMP a\r\n' > "$DIR/loop.t8b"
run 2 --port "$PTY" --deadline 1 "$DIR/loop.t8b"
has err "(line 2: JUMP a)"

# A record held locked by another program: a stop signal ends the wait, and the run says so.
printf '{}\n' > "$DIR/locked.jsonl"
flock "$DIR/locked.jsonl" sleep 30 &
HOLDER=$!
sleep 0.3
rm -f "$DIR/log"
timeout 60 "$T8BATCH" --port "$PTY" --timeout 5 --record "$DIR/locked.jsonl" --log "$DIR/log" \
    "$DIR/enter.t8b" > "$DIR/out" 2> "$DIR/err" < /dev/null &
RUN=$!
wait_log " end: ok" # the record comes after the log's verdict
sleep 0.5
began=$(date +%s)
kill -TERM "$RUN"
status=0
wait "$RUN" || status=$?
kill "$HOLDER" 2>/dev/null
[ $(($(date +%s) - began)) -le 5 ] || fail "the record's lock held the run after SIGTERM"
[ $status -eq 4 ] || fail "a record not written gave $status"
has err "a stop signal came while it waited for another program's lock"
tail -n 1 "$DIR/log" | grep -q " end: file-error: cannot append the record" ||
    fail "the log's last line is not the final verdict"

# A port that is no serial device is said to be none, in t8batch's words.
printf 'x' > "$DIR/plain"
run 3 --port "$DIR/plain" "$DIR/enter.t8b"
has err "cannot open the port $DIR/plain: it is not a serial device"
run 3 --port /dev/ptmx --timeout 5 "$DIR/enter.t8b"
has err "cannot open the port /dev/ptmx: it is not a serial device"
run 3 --port /dev/random "$DIR/enter.t8b"
has err "cannot open the port /dev/random: it is not a serial device"

# No thread left to read the port with (the user's process limit) is no other program's hold.
# Root is exempt from the limit, so the run is a user of its own (no other run shares its
# count); the leak check needs a thread.
if [ "$(id -u)" -eq 0 ] && command -v setpriv > /dev/null && command -v prlimit > /dev/null; then
    start_sim
    chmod 755 "$DIR"
    chmod 666 "$PTY"
    status=0
    user=$((100000 + $$))
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" timeout 60 prlimit --nproc=1 \
        setpriv --reuid=$user --regid=$user --clear-groups \
        "$T8BATCH" --port "$PTY" --timeout 5 "$DIR/enter.t8b" > "$DIR/out" 2> "$DIR/err" ||
        status=$?
    [ $status -eq 3 ] || { cat "$DIR/err"; fail "a reader thread refused gave $status"; }
    grep -q "another program is using it" "$DIR/err" && fail "a thread refused was told as a busy port"
    has err "cannot open the port $PTY: Resource temporarily unavailable"
fi

# Usage errors: the JSON line names the first file, and --json behind "--" is a file name.
run 64 --json -- "$DIR/enter.t8b" extra
has out '"file":"'"$DIR"'/enter.t8b","result":"usage-error"'
run 64 --json=yes "$DIR/enter.t8b"
json_ok
run 64 --bogus -- --json
[ -s "$DIR/out" ] && fail "--json behind -- is a file name"

# A closed standard output is no reason to fail a part, nor to die of SIGPIPE.
status=0
{ timeout 60 "$T8BATCH" --port "$PTY" --json "$DIR/enter.t8b" 2>/dev/null; echo $? > "$DIR/status"; } |
    head -c 1 > /dev/null
sleep 0.2
[ "$(cat "$DIR/status")" = 0 ] || fail "a closed pipe on standard output gave $(cat "$DIR/status")"
timeout 60 "$T8BATCH" --port "$PTY" --json "$DIR/enter.t8b" >&- 2>/dev/null || fail "a closed stdout failed the run"

# Names that are not UTF-8 give strict UTF-8 JSON, with the exact bytes beside; a batch line
# with characters XML cannot hold still gives a JUnit report junitparser reads.
printf 'T8 :\r\nCMD a\357\277\276b\001\r\nT8 :\r\n' > "$DIR/notxml.t8b"
run 0 --port "$PTY" --timeout 10 --junit "$DIR/notxml.xml" "$DIR/notxml.t8b"
$PY -c 'import sys; from junitparser import JUnitXml; JUnitXml.fromfile(sys.argv[1])' \
    "$DIR/notxml.xml" || fail "the JUnit report is not XML"
bad=$(printf 'bad\377\376')
printf ':020100001234B7\r\n:00000001FF\r\n' > "$DIR/$bad.hex"
printf 'TX %s.hex RE:\r\nRX %s.rx.hex SE00100,00101:\r\n' "$bad" "$bad" > "$DIR/$bad.t8b"
run 0 --port "$PTY" --timeout 10 --json "$DIR/$bad.t8b"
json_ok
$PY - "$DIR/json" "$DIR/$bad.t8b" <<'EOF' || fail "the names' bytes are not kept"
import json, os, sys
report = json.loads(open(sys.argv[1], "rb").read().decode("utf-8"))
assert bytes.fromhex(report["fileHex"]) == os.fsencode(sys.argv[2])
assert "\ufffd\ufffd" in report["file"]
assert bytes.fromhex(report["received"][0]["fileHex"]).endswith(b"bad\xff\xfe.rx.hex")
EOF

# A UTF-8 byte-order mark is no part of the first line; UTF-16 text is refused, not run.
printf '\357\273\277PRINT marked\r\nT8 :\r\n' > "$DIR/bom.t8b"
run 0 --port "$PTY" --timeout 10 "$DIR/bom.t8b"
has out "marked"
printf '\377\376T\0008\000 \000:\000\r\000\n\000' > "$DIR/wide.t8b"
run 65 --port "$PTY" --json "$DIR/wide.t8b"
has err "the file is UTF-16 text; save it as ASCII or UTF-8 (line 1)"
run 65 --check "$DIR/wide.t8b"

# --deadline bounds the whole run, whatever --timeout allows.
start_sim --silent
run 2 --port "$PTY" --timeout 0 --deadline 1 --json "$DIR/enter.t8b"
has err "the run passed its --deadline of 1 s (line 1: T8 :)"

# 200,000 labels check in linear time: about as long as 200,000 lines without labels, which a
# quadratic lookup (minutes) cannot come near, however slow or loaded the machine (both runs are
# slowed alike, so the bound is a ratio, not seconds).
awk 'BEGIN { for (i = 0; i < 200000; i++) printf "LABEL L%d\r\n", i; print "JUMP l199999" }' \
    > "$DIR/labels.t8b"
awk 'BEGIN { for (i = 0; i < 200000; i++) printf "PRINT L%d\r\n", i
             print "LABEL L199999\r\nJUMP l199999" }' > "$DIR/plain.t8b"
check_took() { # batch-file: the milliseconds its --check took, in $took
    began=$(date +%s%N)
    run 0 --check "$1"
    took=$((($(date +%s%N) - began) / 1000000))
}
check_took "$DIR/plain.t8b"
plain=$took
check_took "$DIR/labels.t8b"
labels=$took
[ "$labels" -le $((plain * 20 + 3000)) ] ||
    fail "200,000 labels took $labels ms to check, 200,000 lines without labels $plain ms"
echo ok

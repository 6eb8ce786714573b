#!/bin/sh
# t8batch against the simulated T8 on a pty: every exit status, the JSON keys, the transcript
# and the files a run sends and receives. Usage: t8batch_test.sh T8BATCH T8SIM
set -u
T8BATCH=$1
T8SIM=$2
. "$(dirname "$0")/t8batch_lib.sh"

printf ':10000000000102030405060708090A0B0C0D0E0F78\r\n:10001000101112131415161718191A1B1C1D1E1F68\r\n:00000001FF\r\n' > "$DIR/part.hex"
printf 'PRINT Programming\r\nT8 :\r\nTX part.hex RE:\r\nRX back.hex SE00000,0001F:\r\nPRINT done\r\n' > "$DIR/job.t8b"

# 0: the part is sent, read back and verified; the JSON names both files
start_sim
run 0 --port "$PTY" --timeout 10 --json --log "$DIR/log" "$DIR/job.t8b"
cmp -s "$DIR/part.hex" "$DIR/back.hex" || fail "what came back differs from what was sent"
has out "Programming"
has out "Waiting for end of command"
has out "Batch file executed successfully."
grep -q "Click OK" "$DIR/out" && fail "the window's buttons are not t8batch's"
tail -n 1 "$DIR/out" | grep -q '^{"file":"'"$DIR"'/job.t8b","result":"ok","exitCode":0,"message":"batch file executed successfully","lines":5,"elapsedMs":[0-9]*,"sent":\[{"file":"'"$DIR"'/part.hex","bytes":103,"completed":true}\],"received":\[{"file":"'"$DIR"'/back.hex","bytes":103,"check":"No errors.","partial":false,"saved":true}\]}$' ||
    { tail -n 1 "$DIR/out"; fail "the JSON report differs"; }
has log "line 3: TX part.hex RE:"
has log "host: \\r"
has log "t8: E\\r\\nReceive INTEL data - ENTER starts"
has log "tx: $DIR/part.hex 103 bytes"
has log "rx: $DIR/back.hex 103 bytes, No errors."
grep -q ':10000000' "$DIR/log" && fail "transfer data are counted, not logged"
head -n 1 "$DIR/log" | grep -q "^t8batch [0-9.]*, started [0-9-]*T[0-9:.]*Z on " ||
    fail "the log's header names the version and the start"
tail -n +2 "$DIR/log" | grep -qv '^ *[0-9][0-9]* ' && fail "a log line without its milliseconds"
tail -n 1 "$DIR/log" | grep -q ' end: ok: batch file executed successfully$' ||
    fail "the verdict is the log's last line"

# 1: a --fail-on text from the device, split or not
printf 'T8 ZZ\r\n' > "$DIR/unknown.t8b"
run 1 --port "$PTY" --fail-on "nothing like it" --fail-on "Unknown command" --json "$DIR/unknown.t8b"
has err 'the device sent "Unknown command"'
has out '"result":"device-failure","exitCode":1'

# 1: a record that fails the receive's check; the file is still written
start_sim --corrupt-record 1
run 1 --port "$PTY" --timeout 10 --json "$DIR/job.t8b"
has out '"check":"Download errors !"'
[ -s "$DIR/back.hex" ] || fail "the received data are kept"

# 2: a device that never answers
start_sim --silent
printf 'T8 :\r\n' > "$DIR/enter.t8b"
run 2 --port "$PTY" --timeout 1 --json "$DIR/enter.t8b"
has err "no prompt from the device within 1 s (line 1: T8 :)"
has out '"result":"timeout","exitCode":2'

# 3: the device hangs up in the middle of a TX: the file is listed with what went out; a port
# that does not exist; an address of a kind no port serves, never opened as the relative path
# it also is
awk 'BEGIN { for (i = 0; i < 200; i++) printf ":10000000000102030405060708090A0B0C0D0E0F78\r\n" }' > "$DIR/big.hex"
printf 'TX big.hex RE:\r\nT8 :\r\n' > "$DIR/big.t8b"
start_sim --hangup-after 2000
run 3 --port "$PTY" --timeout 10 --json --log "$DIR/log" "$DIR/big.t8b"
has out '"result":"port-error","exitCode":3'
has out '"sent":[{"file":"'"$DIR"'/big.hex","bytes":'
has out ',"completed":false}]'
has log "tx: $DIR/big.hex "
has err "was lost"
run 3 --port "$DIR/no-such-tty" "$DIR/enter.t8b"
mkdir "$DIR/ftp:" && ln -s /dev/null "$DIR/ftp:/bench:4000"
(cd "$DIR" && run 3 --port ftp://bench:4000 "$DIR/enter.t8b") || exit 1
has err 'cannot open the port ftp://bench:4000: addresses of the kind "ftp://" are not supported'

# 4: a TX file that is not there, an RX file that cannot be written, a batch file missing: found
# before the port is opened, so nothing is typed
start_sim
printf 'T8 CH:\r\nTX missing.hex RE:\r\n' > "$DIR/missing.t8b"
run 4 --port "$PTY" --json --log "$DIR/log" "$DIR/missing.t8b"
has out '"result":"file-error","exitCode":4'
has err "cannot read the TX file $DIR/missing.hex: No such file or directory (line 2)"
grep -q "host:" "$DIR/log" && fail "a key was typed for a run that could not succeed"
run 4 --check "$DIR/missing.t8b"
has out "$DIR/missing.t8b:2: error: cannot read the TX file $DIR/missing.hex: No such file or directory"
printf 'RX no/such/dir/x.hex SE00000,0001F:\r\n' > "$DIR/unwritable.t8b"
run 4 --port "$PTY" --timeout 10 "$DIR/unwritable.t8b"
has err "cannot write the RX file $DIR/no/such/dir/x.hex: No such file or directory"
run 4 --port "$PTY" "$DIR/none.t8b"

# 5: a KEY line with --key fail; SIGINT while waiting
printf 'KEY\r\nT8 :\r\n' > "$DIR/key.t8b"
run 5 --port "$PTY" --key fail "$DIR/key.t8b"
has out "KEY: the run stops (--key fail)"
run 0 --port "$PTY" --key continue "$DIR/key.t8b"
start_sim --silent
rm -f "$DIR/log"
"$T8BATCH" --port "$PTY" --timeout 0 --json --log "$DIR/log" "$DIR/enter.t8b" > "$DIR/out" 2> "$DIR/err" &
RUN=$!
for _ in $(seq 100); do # signalled once it waits, not while it starts
    grep -q 'host: \\r' "$DIR/log" 2>/dev/null && break
    sleep 0.1
done
kill -INT "$RUN"
status=0
wait "$RUN" || status=$?
[ "$status" -eq 5 ] || fail "SIGINT gave $status"
has out '"result":"aborted","exitCode":5,"message":"stopped by SIGINT"'

# 64: usage errors (each kind of refused option is the options parser's test), with a JSON line
run 64 --bogus x.t8b
run 64 --json
has out '{"file":"","result":"usage-error","exitCode":64,"message":"no batch file named"' 

# 65: a script error at run time, and the check without a port
printf 'PRINT "unterminated\r\n' > "$DIR/quote.t8b"
run 65 --port "$PTY" --json --log "$DIR/log" "$DIR/quote.t8b"
has err 'missing end " (a quoted word runs to the end of the line) (line 1)'
has out '"result":"script-error","exitCode":65'
grep -q "host:" "$DIR/log" && fail "a run --check refuses touched the device"
printf 'LABEL top\r\nJUMP elsewhere\r\nLABEL TOP\r\n' > "$DIR/bad.t8b"
run 65 --check --json "$DIR/bad.t8b"
has out "$DIR/bad.t8b:2: error: no LABEL line defines elsewhere"
has out "$DIR/bad.t8b:3: warning: label TOP is defined again; the first one (line 1) stays"
has out '"lines":3,'
# a first JUMP to a label further down always stops the run: --check says so, as the run does
printf 'T8 :\r\nJUMP later\r\nLABEL later\r\n' > "$DIR/forward.t8b"
run 65 --check "$DIR/forward.t8b"
has out "$DIR/forward.t8b:2: error: label later is defined further down (line 3)"
start_sim
run 65 --port "$PTY" --timeout 10 "$DIR/forward.t8b"
run 0 --check "$DIR/job.t8b"

# --check-port: the simulator's own hold on its pty is no problem; a missing device is
start_sim
run 0 --check-port "$PTY"
has out "No problems found with $PTY."
run 3 --check-port "$DIR/ttyUSB9"
has out "Checked $DIR/ttyUSB9:"
has out "$DIR/ttyUSB9 does not exist"
run 64 --check-port rfc2217://127.0.0.1:4001
has err "is a network address"
echo ok

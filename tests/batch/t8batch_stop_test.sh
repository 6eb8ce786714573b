#!/bin/sh
# t8batch runs cut short against the simulated T8: each stop signal, a timeout or a hang-up in
# the middle of a receive, a send stopped or changed while it goes out, a batch file that grows
# while it runs. Every run is bounded by `timeout`: a run that hangs fails the test.
#   Usage: t8batch_stop_test.sh T8BATCH T8SIM
set -u
T8BATCH=$1
T8SIM=$2
. "$(dirname "$0")/t8batch_lib.sh"

# A receive stopped in the middle (each stop signal, a timeout, a hang-up) never replaces the
# file it names: the data are kept beside it, the check is never "No errors.", the verdict is
# the transcript's last line and nothing is typed after the receive was stopped.
head -c 65536 /dev/urandom > "$DIR/image.bin"
printf 'T8 :\r\nRX back.hex SE00000,0FFFF:\r\nPRINT never\r\n' > "$DIR/rxbig.t8b"
# Until the receive runs: the Enter that starts it has gone out, and data have had time to come.
wait_receiving() {
    for _ in $(seq 400); do
        sed -n '/ rx: armed/,$p' "$DIR/log" 2>/dev/null | grep -qF 'host: \r' && break
        sleep 0.05
    done
    sleep 1.5
}
partial_kept() { # exit-status
    printf 'GOOD' > "$DIR/back.hex"
    status=0
    wait "$RUN" || status=$?
    [ "$status" -eq "$1" ] || { cat "$DIR/out" "$DIR/err"; fail "a stopped receive gave $status, not $1"; }
    json_ok
    [ "$(cat "$DIR/back.hex")" = GOOD ] || fail "the cut receive replaced back.hex"
    [ -s "$DIR/back.hex.partial" ] || fail "the data that arrived are not kept"
    has out '"partial":true,"saved":true,"target":"'"$DIR"'/back.hex"}'
    grep -q '"check":"No errors."' "$DIR/out" && fail "a cut receive checked as good"
    tail -n 1 "$DIR/log" | grep -q ' end: ' || fail "the verdict is not the log's last line"
    sed -n '/ rx: .*partial/,$p' "$DIR/log" | grep -q 'host:\|t8:' &&
        fail "something was typed or logged after the receive was stopped"
    rm -f "$DIR/back.hex.partial"
}
for signal in TERM HUP; do
    start_sim --line-rate 9600 --load "$DIR/image.bin"
    printf 'GOOD' > "$DIR/back.hex"
    rm -f "$DIR/log" # a wait must not find the last run's lines
    timeout 60 "$T8BATCH" --port "$PTY" --timeout 10 --json --log "$DIR/log" "$DIR/rxbig.t8b" \
        > "$DIR/out" 2> "$DIR/err" < /dev/null &
    RUN=$!
    wait_receiving
    kill -"$signal" "$RUN"
    partial_kept 5
    has out "\"message\":\"stopped by SIG$signal\""
done
start_sim --line-rate 9600 --load "$DIR/image.bin"
rm -f "$DIR/log"
timeout 60 "$T8BATCH" --port "$PTY" --timeout 1 --json --log "$DIR/log" "$DIR/rxbig.t8b" \
    > "$DIR/out" 2> "$DIR/err" < /dev/null &
RUN=$!
wait_receiving
kill -STOP "$SIM" # the device stalls in the middle of its data
partial_kept 2
has out '"result":"timeout"'
start_sim --load "$DIR/image.bin" --hangup-after-sent 3000
rm -f "$DIR/log" # a wait must not find the last run's lines
timeout 60 "$T8BATCH" --port "$PTY" --timeout 10 --json --log "$DIR/log" "$DIR/rxbig.t8b" \
    > "$DIR/out" 2> "$DIR/err" < /dev/null &
RUN=$!
partial_kept 3
grep -q 'Ctrl+R\|choose another name' "$DIR/log" "$DIR/err" && fail "the window's advice leaked"

# A send stopped in the middle counts what went to the line, not what the host handed over.
awk 'BEGIN { for (i = 0; i < 4000; i++) printf ":10000000000102030405060708090A0B0C0D0E0F78\r\n" }' > "$DIR/big.hex"
printf 'TX big.hex RE:\r\n' > "$DIR/tx.t8b"
# A run of tx.t8b at 9600 in the background ($RUN), once its send has begun.
tx_running() {
    start_sim --line-rate auto
    rm -f "$DIR/log"
    timeout 60 "$T8BATCH" --port "$PTY" --baud 9600 --json --log "$DIR/log" "$DIR/tx.t8b" \
        > "$DIR/out" 2> "$DIR/err" < /dev/null &
    RUN=$!
    wait_log "tx: $DIR/big.hex"
}
tx_running
sleep 1.5
kill -INT "$RUN"
wait "$RUN"
sent=$(tail -n 1 "$DIR/out" | sed -n 's/.*"bytes":\([0-9]*\),"completed":false.*/\1/p')
start=$(sed -n "s|^ *\([0-9]*\) tx: $DIR/big.hex\$|\1|p" "$DIR/log")
end=$(sed -n 's/^ *\([0-9]*\) end: .*/\1/p' "$DIR/log")
[ -n "$sent" ] && [ "$sent" -gt 0 ] || fail "the stopped TX is not listed with its bytes"
[ "$sent" -le $(((end - start) * 96 / 100 + 100)) ] ||
    fail "$sent bytes counted as sent in $((end - start)) ms at 9600 baud"

# A stale link where the partial file goes never leads the data onto the good file; a partial
# name that cannot be written says the data are lost, never that they were saved.
start_sim --line-rate 9600 --load "$DIR/image.bin"
ln -s back.hex "$DIR/back.hex.partial"
rm -f "$DIR/log" # a wait must not find the last run's lines
timeout 60 "$T8BATCH" --port "$PTY" --timeout 10 --json --log "$DIR/log" "$DIR/rxbig.t8b" \
    > "$DIR/out" 2> "$DIR/err" < /dev/null &
RUN=$!
wait_receiving
kill -TERM "$RUN"
partial_kept 5
start_sim --line-rate 9600 --load "$DIR/image.bin"
mkdir "$DIR/back.hex.partial"
rm -f "$DIR/log" # a wait must not find the last run's lines
timeout 60 "$T8BATCH" --port "$PTY" --timeout 10 --json --log "$DIR/log" "$DIR/rxbig.t8b" \
    > "$DIR/out" 2> "$DIR/err" < /dev/null &
RUN=$!
wait_receiving
kill -TERM "$RUN"
wait "$RUN"
json_ok
has out '"partial":true,"saved":false,"target":"'"$DIR"'/back.hex"}'
has out "cannot write the RX file $DIR/back.hex.partial: Is a directory; the "
rmdir "$DIR/back.hex.partial"

# The batch file is read once: lines added while it runs are not run, and its hash is of what
# ran. A TX file that changes while it goes out is no completed send of its hash.
start_sim
printf 'T8 :\r\nT8 :\r\nT8 :\r\nT8 :\r\n' > "$DIR/grow.t8b"
rm -f "$DIR/log"
timeout 60 "$T8BATCH" --port "$PTY" --timeout 5 --log "$DIR/log" "$DIR/grow.t8b" \
    > "$DIR/out" 2> "$DIR/err" < /dev/null &
RUN=$!
wait_log "line 1:"
printf 'PRINT injected\r\n' >> "$DIR/grow.t8b"
wait "$RUN" || fail "the growing batch file failed its run"
grep -q injected "$DIR/out" && fail "a line added during the run was run"
tx_running
sleep 1
: > "$DIR/big.hex"
status=0
wait "$RUN" || status=$?
[ $status -eq 4 ] || { cat "$DIR/err"; fail "a TX file emptied while sent gave $status"; }
has out '"completed":false'
has err "the TX file $DIR/big.hex changed while it was sent"
echo ok

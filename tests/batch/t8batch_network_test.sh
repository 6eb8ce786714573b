#!/bin/sh
# t8batch over the real ser2net serving a simulated T8's pty, RFC 2217 and raw TCP: the same
# bytes and verdict as on the pty, the host's rate reaching the pty, a server gone mid-send
# ending the send as a pulled cable does. Skipped (77) without ser2net.
#   Usage: t8batch_network_test.sh T8BATCH T8SIM
set -u
T8BATCH=$1
T8SIM=$2
SER2NET=${SER2NET:-/usr/sbin/ser2net}
[ -x "$SER2NET" ] || { echo "SKIP: $SER2NET is not installed"; exit 77; }
. "$(dirname "$0")/t8batch_lib.sh"

SERVER=""
stop_server() {
    [ -n "$SERVER" ] && kill "$SERVER" 2>/dev/null && wait "$SERVER" 2>/dev/null
    SERVER=""
}
trap 'stop_server; cleanup' EXIT

free_port() {
    $PY -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# start_server ACCEPTER [SPEED]: ser2net serving $PTY at 127.0.0.1:$NETPORT ("telnet(rfc2217)"
# or "raw"); SPEED the pty's settings it opens with (default 115200n81)
start_server() {
    stop_server
    [ -n "${NETPORT:-}" ] || NETPORT=$(free_port)
    stack="tcp"
    [ "$1" = raw ] || stack="$1,tcp"
    cat > "$DIR/ser2net.yaml" <<CONFIG
connection: &t8
  accepter: $stack,127.0.0.1,$NETPORT
  connector: serialdev,$PTY,${2:-115200n81},local
  options:
    kickolduser: true
CONFIG
    "$SER2NET" -n -d -c "$DIR/ser2net.yaml" -P "$DIR/ser2net.pid" > "$DIR/ser2net.log" 2>&1 &
    SERVER=$!
    for _ in $(seq 50); do
        $PY -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1).close()' \
            "$NETPORT" 2>/dev/null && return 0
        sleep 0.1
    done
    cat "$DIR/ser2net.log"
    fail "ser2net did not start"
}

printf ':10000000000102030405060708090A0B0C0D0E0F78\r\n:10001000101112131415161718191A1B1C1D1E1F68\r\n:10002000FF2122232425262728292A2BFFFFFFFF33\r\n:00000001FF\r\n' > "$DIR/part.hex"
printf 'T8 :\r\nTX part.hex RE:\r\nRX back.hex SE00000,0002F:\r\n' > "$DIR/job.t8b"
# verdict FILE: the JSON report without what differs from run to run (time, the port)
verdict() {
    tail -n 1 "$DIR/out" | sed 's/"elapsedMs":[0-9]*,//' > "$DIR/$1"
}

# The batch on the pty itself: what the network runs must match.
start_sim --line-rate auto
run 0 --port "$PTY" --timeout 10 --json "$DIR/job.t8b"
cmp -s "$DIR/part.hex" "$DIR/back.hex" || fail "the pty run read back other data"
mv "$DIR/back.hex" "$DIR/pty.hex"
verdict pty.json

# RFC 2217 at 115200 and at 9600: the device runs at the rate given, the pty starts at 115200,
# so the run works only when the host's rate reaches the pty.
for rate in 115200 9600; do
    start_sim --line-rate auto --baud "$rate"
    start_server "telnet(rfc2217)"
    run 0 --port "rfc2217://127.0.0.1:$NETPORT" --baud "$rate" --timeout 10 --json \
        --log "$DIR/log" "$DIR/job.t8b"
    cmp -s "$DIR/pty.hex" "$DIR/back.hex" || fail "RFC 2217 at $rate read back other data"
    verdict net.json
    cmp -s "$DIR/pty.json" "$DIR/net.json" || { cat "$DIR/pty.json" "$DIR/net.json"; fail "RFC 2217 at $rate: another verdict"; }
    has log "tx: $DIR/part.hex 148 bytes"
    rm -f "$DIR/back.hex"
done

# Raw TCP carries bytes only: the server's settings are the line's (here 9600 both ends).
start_sim --line-rate auto --baud 9600
start_server raw 9600n81
run 0 --port "tcp://127.0.0.1:$NETPORT" --baud 9600 --timeout 10 --json "$DIR/job.t8b"
cmp -s "$DIR/pty.hex" "$DIR/back.hex" || fail "raw TCP read back other data"
verdict net.json
cmp -s "$DIR/pty.json" "$DIR/net.json" || fail "raw TCP: another verdict"

stop_server
run 3 --port "rfc2217://127.0.0.1:$NETPORT" "$DIR/job.t8b"
has err "cannot open the port rfc2217://127.0.0.1:$NETPORT: 127.0.0.1 refused the connection: nothing serves port $NETPORT there"

# ser2net stopped mid-send: the send ends as at a hang-up, with the bytes that went out.
awk 'BEGIN { for (i = 0; i < 300; i++) printf ":10000000000102030405060708090A0B0C0D0E0F78\r\n" }' > "$DIR/big.hex"
printf 'TX big.hex RE:\r\nT8 :\r\n' > "$DIR/big.t8b"
start_sim --line-rate auto --baud 9600
start_server "telnet(rfc2217)"
timeout 60 "$T8BATCH" --port "rfc2217://127.0.0.1:$NETPORT" --baud 9600 --timeout 10 --json \
    --log "$DIR/log" "$DIR/big.t8b" > "$DIR/out" 2> "$DIR/err" < /dev/null &
RUN=$!
wait_log "host: \\r"
sleep 1
stop_server
status=0
wait "$RUN" || status=$?
[ "$status" -eq 3 ] || { cat "$DIR/out" "$DIR/err"; fail "a send cut by the server gave $status, not 3"; }
has out '"result":"port-error","exitCode":3'
has out '"completed":false'
echo "PASS"

# What the t8batch shell tests share; sourced with T8BATCH and T8SIM set. Each test gets its own
# folder $DIR and settings (the operator's own stay out of it), a simulated T8 at a time on $PTY
# (start_sim), and runs bounded by `timeout`, so a run that hangs fails its test.
DIR=$(mktemp -d)
SIM=""
SIMS=0
stop_sim() {
    [ -n "$SIM" ] && kill -CONT "$SIM" 2>/dev/null && kill "$SIM" 2>/dev/null && wait "$SIM" 2>/dev/null
    SIM=""
}
cleanup() {
    stop_sim
    rm -rf "$DIR"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$DIR/config"
PY=/usr/bin/python3
fail() { echo "FAIL: $*"; exit 1; }

# start_sim [t8sim options...]: a new simulator in place of the last, its pty in $PTY
start_sim() {
    stop_sim
    # a new file each time: the old one could still name the pty of the simulator just ended
    SIMS=$((SIMS + 1))
    "$T8SIM" "$@" > "$DIR/sim$SIMS.out" 2> "$DIR/sim.err" &
    SIM=$!
    for _ in $(seq 50); do
        PTY=$(head -n 1 "$DIR/sim$SIMS.out" 2>/dev/null)
        [ -n "$PTY" ] && return 0
        sleep 0.1
    done
    fail "the simulator did not start"
}

# run EXPECTED-STATUS [t8batch arguments...]: output in $DIR/out and $DIR/err
run() {
    expected=$1
    shift
    status=0
    timeout 120 "$T8BATCH" "$@" > "$DIR/out" 2> "$DIR/err" < /dev/null || status=$?
    [ "$status" -eq "$expected" ] || {
        cat "$DIR/out" "$DIR/err"
        fail "t8batch $* gave $status, not $expected"
    }
}
has() { grep -qF -- "$2" "$DIR/$1" || { cat "$DIR/$1"; fail "$1 lacks: $2"; }; }

# The last line of standard output is JSON in strict UTF-8.
json_ok() {
    tail -n 1 "$DIR/out" > "$DIR/json"
    $PY -c 'import json, sys; json.loads(open(sys.argv[1], "rb").read().decode("utf-8"))' "$DIR/json" ||
        fail "the JSON is not strict UTF-8: $(cat "$DIR/json")"
}

# wait_log TEXT: until the transcript $DIR/log has TEXT (the run has got that far)
wait_log() {
    for _ in $(seq 400); do
        grep -qF -- "$1" "$DIR/log" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "the log never showed: $1"
}

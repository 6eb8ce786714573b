#!/bin/bash
# Times t8examine beside srec_cat IN -o /dev/null and srec_info IN on the benchmark's files.
# usage: bench/compare.sh T8EXAMINE [DIR]   (DIR: the t8bench.* folder the benchmark wrote)
set -euo pipefail
EXAMINE=${1:?path to t8examine}
DIR=${2:-$(ls -td /tmp/t8bench.* | head -1)}
measure() { # label command...
    local out
    local label=$1; shift
    local times; times=$(mktemp)
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -o "$times" -f "%e s  %M KB peak" "$@" > /dev/null 2>&1 || true
    else
        { TIMEFORMAT='%R s'; time "$@" > /dev/null 2>&1 || true; } 2> "$times"
    fi
    out=$(tail -1 "$times"); rm -f "$times"
    printf "  %-10s %s\n" "$label" "$out"
}
for file in intel.hex motorola.s28 binary.bin descending.hex span4g.hex; do
    path=$DIR/$file
    [ -f "$path" ] || continue
    case $file in
        *.hex) fmt=-Intel ;; *.s28) fmt=-Motorola ;; *) fmt=-binary ;;
    esac
    echo "$file ($(stat -c %s "$path") bytes)"
    measure t8examine "$EXAMINE" "$path"
    measure srec_cat srec_cat "$path" $fmt -o /dev/null
    measure srec_info srec_info "$path" $fmt
done

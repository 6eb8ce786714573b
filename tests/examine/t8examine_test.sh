#!/bin/sh
# t8examine's output keys, plain field words and exit statuses, on files written here.
set -eu
EXAMINE=$1
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
printf ':020100001234B7\r\n:00000001FF\r\n' > "$DIR/good.hex"
printf ':020100001234B8\r\n' > "$DIR/bad.hex"

expected='{"file":"'$DIR'/good.hex","recognized":true,"status":"File recognized as Intel HEX file.","fileLength":30,"binaryLength":2,"binaryOffset":256,"checksum":70,"unusedSpace":"Unused Space filled with : 0A","segments":[{"start":256,"end":257,"length":2,"sum":70}],"segmentCount":1,"all":{"start":256,"end":257,"sum":70}}'
[ "$("$EXAMINE" --fill 0a --json "$DIR/good.hex")" = "$expected" ] || { echo "json differs"; exit 1; }

# A file name that is not UTF-8 still gives strict UTF-8 JSON: U+FFFD for the bad byte, and the
# exact bytes beside it.
latin=$(printf 'b\344r')
cp "$DIR/good.hex" "$DIR/$latin.hex"
"$EXAMINE" --json "$DIR/$latin.hex" > "$DIR/out"
grep -qF "$(printf '"file":"%s/b\357\277\275r.hex","fileHex":"' "$DIR")" "$DIR/out" ||
    { cat "$DIR/out"; echo "a name that is not UTF-8 differs"; exit 1; }
/usr/bin/python3 -c 'import json, sys
report = json.loads(open(sys.argv[1], "rb").read().decode("utf-8"))
assert bytes.fromhex(report["fileHex"]) == sys.argv[2].encode("utf-8", "surrogateescape")' \
    "$DIR/out" "$DIR/$latin.hex" || { echo "the JSON is not strict UTF-8, or fileHex differs"; exit 1; }

"$EXAMINE" "$DIR/good.hex" | grep -qx 'Binary length : \$00000002 ' || { echo "plain differs"; exit 1; }

status=0; "$EXAMINE" --json "$DIR/good.hex" "$DIR/bad.hex" > "$DIR/out" 2> "$DIR/err" || status=$?
[ $status -eq 1 ] || { echo "checksum error gave $status"; exit 1; }
grep -q '"checksum":null,"unusedSpace":"Unused Space not filled.","segments":null,"segmentCount":null,"all":null}' "$DIR/out"
grep -q 'INTELHEX: Line checksum error at : 00000100 (B8!=B7)' "$DIR/err"

status=0; "$EXAMINE" --json "$DIR/bad.hex" "$DIR/missing.hex" > "$DIR/out" 2>/dev/null || status=$?
[ $status -eq 2 ] || { echo "missing file gave $status"; exit 1; }
grep -q '"fileLength":null,"binaryLength":null,"binaryOffset":4294967295' "$DIR/out"

# A record cut off in its data: the complete byte counts, and nothing lies beyond the length.
printf '/10000203AB' > "$DIR/cut.tek"
expected='"fileLength":11,"binaryLength":1,"binaryOffset":4096,"checksum":171,"unusedSpace":"Unused Space filled with : FF","segments":[{"start":4096,"end":4096,"length":1,"sum":171}]'
"$EXAMINE" --fill FF --json "$DIR/cut.tek" | grep -qF "$expected" || { echo "cut record differs"; exit 1; }
printf '/10000001' > "$DIR/empty.tek"
"$EXAMINE" --json "$DIR/empty.tek" | grep -qF '"binaryLength":0,"binaryOffset":4096,"checksum":0,' || { echo "empty image differs"; exit 1; }
"$EXAMINE" "$DIR/empty.tek" | grep -qx 'Binary length : \$00000000 ' || { echo "plain empty differs"; exit 1; }

status=0; "$EXAMINE" --fill xyz "$DIR/good.hex" 2>/dev/null || status=$?
[ $status -eq 2 ] || { echo "bad --fill gave $status"; exit 1; }
echo ok

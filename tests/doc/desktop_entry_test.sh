#!/bin/sh
# The desktop entry validates, and every type it claims is one the file-type database knows
# once our types are added, with the globs the program's files use.
#   desktop_entry_test.sh DESKTOP_FILE_VALIDATE UPDATE_MIME_DATABASE ENTRY MIME_XML
set -eu
validate=$1
update=$2
entry=$3
types=$4
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0
fail() { echo "$*"; failed=1; }

report=$("$validate" "$entry" 2>&1) || fail "desktop-file-validate failed"
[ -z "$report" ] || fail "desktop-file-validate: $report"

mkdir "$dir/packages"
cp "$types" "$dir/packages/"
"$update" "$dir" >/dev/null 2>"$dir/update.log" ||
    fail "update-mime-database: $(cat "$dir/update.log")"

for type in $(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' '); do
    grep -qx "$type" "$dir/types" || grep -q "^$type " "$dir/aliases" ||
        fail "the entry claims $type, which no type definition has"
done
for glob in '*.t8b:application/x-t8-batch' '*.hex:text/x-ihex' '*.s19:text/x-srecord' \
    '*.mot:text/x-srecord'; do
    grep -qF ":${glob#*:}:${glob%%:*}" "$dir/globs2" || fail "no type for ${glob%%:*}"
done
[ $failed -eq 0 ] && echo "desktop entry and file types agree"
exit $failed

#!/bin/sh
# A program's --help, --version and man page agree: every option --help names is in the page,
# every option the page's OPTIONS section describes is in --help, the page has its sections,
# and --version prints the program's name and the project version.
#   cli_docs_test.sh PROGRAM MAN_SOURCE VERSION
set -eu
program=$1
page=$2
version=$3
name=$(basename "$program")
failed=0
fail() { echo "$name: $*"; failed=1; }

help=$("$program" --help) || fail "--help failed"
[ -n "$help" ] || fail "--help printed nothing"

# Long options anywhere in the help; short ones where a line starts with one.
help_options=$(
    {
        printf '%s\n' "$help" | grep -oE -- '--[[:alpha:]][[:alnum:]-]*' || true
        printf '%s\n' "$help" | grep -oE -- '^[[:space:]]*-[[:alpha:]]([,[:space:]]|$)' |
            grep -oE -- '-[[:alpha:]]' || true
    } | sort -u
)
[ -n "$help_options" ] || fail "no options found in --help"

mentions() { # text option: the option as a word of its own
    printf '%s\n' "$1" | grep -qE -- "(^|[^[:alnum:]-])$2([^[:alnum:]-]|\$)"
}

page_text=$(cat "$page")
for option in $help_options; do
    mentions "$page_text" "$option" || fail "--help lists $option; the man page does not"
done

# The page's option entries: lines that start with a bold option, e.g. "*-p*, *--port* _PATH_".
page_options=$(grep -E -- '^\*-' "$page" | grep -oE -- '--?[[:alpha:]][[:alnum:]-]*' | sort -u)
[ -n "$page_options" ] || fail "the man page describes no options"
for option in $page_options; do
    mentions "$help" "$option" || fail "the man page describes $option; --help does not"
done

for section in NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' EXAMPLES 'SEE ALSO'; do
    grep -qx "# $section" "$page" || fail "the man page has no $section section"
done
head -n 1 "$page" | grep -qx "$name(1)" || fail "the man page is not titled $name(1)"

shown=$("$program" --version) || fail "--version failed"
[ "$shown" = "$name $version" ] || fail "--version printed '$shown', not '$name $version'"

[ $failed -eq 0 ] && echo "$name: --help, --version and man page agree"
exit $failed

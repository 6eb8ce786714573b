#!/bin/sh
# The include check fails on each kind of wrong include and passes a tree without one: on a
# small tree of its own, since the project's own tree (the include_floors test) has none.
#   Usage: check_includes_test.sh PYTHON3 CHECK-INCLUDES
set -u
PY=$1
CHECK=$2
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# file text: writes one source file of the tree
put() {
    mkdir -p "$DIR/$(dirname "$1")"
    printf '%s\n' "$2" > "$DIR/$1"
}
# expect STATUS NEEDLE: runs the check, which must exit STATUS and name NEEDLE
expect() {
    status=0
    "$PY" "$CHECK" "$DIR" > "$DIR/out" 2>&1 || status=$?
    [ "$status" -eq "$1" ] || { cat "$DIR/out"; fail "the check gave $status, not $1"; }
    grep -qF -- "$2" "$DIR/out" || { cat "$DIR/out"; fail "the check did not say: $2"; }
}

put formats/Reader.cpp '#include "formats/Reader.h"'
put transfer/Send.cpp '#include "link/Port.h"
#include "settings/Store.h"
#include <vector>'
put terminal/ui/View.cpp '#include "examine/ui/Dialog.h"
#include <QWidget>'
put tools/t8batch/Run.cpp '#include "transfer/Send.h"
#include "tools/t8batch/Run.h"
#include "generated/ProjectVersion.h"'
put tests/ui/WindowTest.cpp '#include "app/CMainFrame.h"
#include "tests/ui/WindowFixture.h"
#include <QApplication>'
expect 0 "every include runs downward"

put link/Port.cpp '#include "transfer/Send.h"'
expect 1 'link/Port.cpp:1: #include "transfer/Send.h": transfer/ is not below link/'
rm "$DIR/link/Port.cpp"
put settings/Store.cpp '#include "batch/Line.h"'
expect 1 "batch/ is not below settings/"
rm "$DIR/settings/Store.cpp"
put examine/ui/Dialog.cpp '#include "terminal/ui/View.h"'
expect 1 "terminal/ui/ is not below examine/ui/"
rm "$DIR/examine/ui/Dialog.cpp"
put terminal/Screen.cpp '#include <QLabel>'
expect 1 "a widget header outside app/ and the ui/ folders"
rm "$DIR/terminal/Screen.cpp"
put tools/t8examine.cpp '#include "examine/ui/Dialog.h"'
expect 1 "tools/ builds on the core floors only"
rm "$DIR/tools/t8examine.cpp"
put formats/Writer.cpp '#include "sim/Device.h"'
expect 1 "sim/ is no library of the floors"
rm "$DIR/formats/Writer.cpp"
put tests/formats/ReaderTest.cpp '#include "TestRecords.h"'
expect 1 'spell it from the top of the tree ("folder/TestRecords.h")'
rm "$DIR/tests/formats/ReaderTest.cpp"
expect 0 "every include runs downward"
echo ok

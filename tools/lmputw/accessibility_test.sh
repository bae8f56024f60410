#!/bin/sh
# lmPutw's dialog as a screen reader finds it: the Cancel button and the
# progress bar are on the accessibility bus, and pressing Cancel through it
# ends the run early without running anything. Run inside
# `tests/support/xsession --atspi` with LUMORA_BIN_DIR and LUMORA_SOURCE_DIR set.
set -u
bin=$LUMORA_BIN_DIR
work=$(mktemp -d "${TMPDIR:-/tmp}/lmputw-atspi.XXXXXX") || exit 1
console=""
putw=""
cleanup() {
    [ -n "$putw" ] && kill "$putw" 2>/dev/null
    [ -n "$console" ] && kill "$console" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "accessibility_test: $*" >&2
    cat "$work/putw.out" >&2 2>/dev/null
    exit 1
}

# A console that never answers keeps the dialog up for long enough.
"$bin/vconsole" --pty "$work/COM1" --silent >"$work/console.out" 2>&1 &
console=$!
tries=0
until grep -q '^ready ' "$work/console.out"; do
    tries=$((tries + 1))
    [ $tries -gt 100 ] && fail "vconsole did not start"
    sleep 0.1
done
for f in a b c d e; do printf 'data %s\n' "$f" >"$work/$f.bin"; done

(cd "$work" && LUMORA_COM1="$work/COM1" XDG_CONFIG_HOME="$work/config" exec "$bin/lmPutw" -x a.bin b.bin c.bin d.bin e.bin) \
    >"$work/putw.out" 2>&1 &
putw=$!

/usr/bin/python3 "$LUMORA_SOURCE_DIR/tests/support/atspi_tree.py" --app lmPutw --wait 30 \
    --expect "push button:キャンセル" --expect "progress bar:" --activate "push button:キャンセル" ||
    fail "the dialog's controls are not reachable"

# Five files at a silent console take over 20 s; after Cancel the file in hand is the last.
wait "$putw"
status=$?
putw=""
[ "$status" -eq 1 ] || fail "exit status $status after Cancel, expected 1"
reads=$(grep -c '^PutStr: ファイル読み込み' "$work/putw.out")
[ "$reads" -lt 5 ] || fail "Cancel did not stop the run ($reads files read)"
exit 0

# Lines every window test script needs, sourced after `set -u`:
#
#   x11_script_begin NAME   a work folder $work (removed at exit), fail()
#                           messages prefixed with NAME, and every process
#                           whose id is in $pid or added to $pids stopped at exit
#   kelvane_settings BIN    HOME, XDG_CONFIG_HOME and XDG_STATE_HOME inside
#                           $work, and kelvane's settings pointing at the
#                           stand-in toolchain of the build folder BIN
#   windows_named NAME [N]  waits up to 20 s for N (default 1) visible
#                           top-level windows named exactly NAME; prints
#                           their ids
#   file_becomes FILE EXPECTED
#                           waits up to 10 s for FILE to hold exactly the
#                           bytes of EXPECTED; fails showing them otherwise
#   kelvane_build_demo KELVANE
#                           a new project "demo" in $work opened in kelvane
#                           ($pid), its window ($w) focused and F7 pressed;
#                           fails unless demo.fx gets built

x11_script_begin() {
    x11_script_name=$1
    work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX") || exit 1
    pid=""
    pids=""
    trap x11_script_end EXIT
}

x11_script_end() {
    for p in $pid $pids; do
        kill "$p" 2>/dev/null && wait "$p" 2>/dev/null
    done
    rm -rf "$work"
}

fail() {
    echo "$x11_script_name: $*" >&2
    exit 1
}

kelvane_settings() {
    export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
    mkdir -p "$XDG_CONFIG_HOME/Umbrane"
    cat >"$XDG_CONFIG_HOME/Umbrane/Kelvane.conf" <<CONF
[Config]
FirstRun=FALSE
LumoraFolder=$1/toolchain/lumo
DMCFolder=$1/toolchain/dmc
CONF
}

windows_named() {
    want=${2:-1}
    i=0
    while [ $i -lt 100 ]; do
        found=""
        n=0
        for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
            if [ "$(xdotool getwindowname "$w")" = "$1" ]; then
                found="$found $w"
                n=$((n + 1))
            fi
        done
        [ $n -ge "$want" ] && { echo $found; return 0; }
        sleep 0.2
        i=$((i + 1))
    done
    return 1
}

kelvane_build_demo() {
    "$1" --new-project "$work/demo" >/dev/null || fail "could not create the project"
    "$1" "$work/demo/demo.lmp" &
    pid=$!
    w=$(windows_named "demo - Kelvane") || fail "no window titled 'demo - Kelvane'"
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    sleep 0.5
    xdotool key F7
    i=0
    while [ ! -s "$work/demo/demo.fx" ] && [ $i -lt 300 ]; do sleep 0.2; i=$((i + 1)); done
    [ -s "$work/demo/demo.fx" ] || fail "F7 did not build demo.fx"
}

file_becomes() {
    i=0
    while ! cmp -s "$1" "$2"; do
        i=$((i + 1))
        if [ $i -gt 100 ]; then
            od -An -tx1 "$1" >&2
            fail "$1 does not hold the expected bytes ($(od -An -tx1 "$2" | tr -s ' '))"
        fi
        sleep 0.1
    done
}

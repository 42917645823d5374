# shellcheck shell=bash
# Sourced by the window tests: runs the calling test again on a private X server and session
# bus, with a temporary home and runtime folder, and gives it the commands that drive the
# installed program. Its buttons are found by name in its accessibility tree (the session bus
# starts the accessibility bus when the program asks for it), not by where they are drawn.
if [ -z "${CORVANTIS_TEST_SESSION:-}" ]; then
    export CORVANTIS_TEST_SESSION=1
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" \
        "$0" "$@"
fi
set -euo pipefail

session=$(mktemp -d "${AUTOPKGTEST_TMP:-${TMPDIR:-/tmp}}/session.XXXXXX")
pid=
window=
end_session() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$session"
}
trap end_session EXIT
export HOME="$session/home" XDG_RUNTIME_DIR="$session/runtime" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
# Qt's accessibility bridge otherwise waits for the desktop's accessibility setting.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset XDG_CONFIG_HOME WAYLAND_DISPLAY
mkdir "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
settings="$HOME/.config/Pellamark/Corvantis"
mkdir -p "$settings"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts the installed program and waits for its window, named Corvantis.
start_program() {
    corvantis &
    pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name '^Corvantis$') ||
        fail "the window did not appear"
    window=${window%%$'\n'*}
    sleep 0.3 # its first paint
}

# Presses the window's button of this name, and returns once the program has handled it.
press() {
    debian/tests/press-button "$1" || fail "could not press \"$1\""
}

close_window() {
    debian/tests/close-window "$window"
}

# Waits for the program to end, and checks its exit status.
expect_exit() {
    for _ in $(seq 150); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program did not end"
    local status=0
    wait "$pid" || status=$?
    pid=
    [ "$status" = "$1" ] || fail "exit status $status, expected $1"
}

setting() {
    cat "$settings/$1"
}

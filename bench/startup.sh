#!/bin/sh
# Times Brewdeck from process start to its main window first shown, and its
# peak memory, against a bare Qt program that shows an empty main window, in
# one run of alternating starts (medians, printed as ratios). A third
# program, the empty window with one line of Chinese text, shows what text
# alone costs, and a fourth names the CJK family (WenQuanYi Micro Hei) instead
# of leaving the fallback search to fontconfig. Uses the X server of $DISPLAY, or a virtual one, and a private
# session bus, with a throw-away home so nothing of the user's is read or
# written.
#
# usage: bench/startup.sh [RUNS]   (build folder: $BREWDECK_BUILD_DIR, default ./build)
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BREWDECK_BUILD_DIR:-"$ROOT/build"}
RUNS=${1:-11}
cmake --build "$BUILD_DIR" --target brewdeck bench_startup bench_bare_mainwindow bench_text_mainwindow \
    bench_named_font_mainwindow >/dev/null

SANDBOX=$(mktemp -d /tmp/brewdeck-bench.XXXXXX)
trap 'rm -rf "$SANDBOX"' EXIT INT TERM
mkdir -p "$SANDBOX/home" "$SANDBOX/config" "$SANDBOX/data" "$SANDBOX/runtime"
chmod 700 "$SANDBOX/runtime"
export HOME="$SANDBOX/home" XDG_CONFIG_HOME="$SANDBOX/config" XDG_DATA_HOME="$SANDBOX/data"
export XDG_RUNTIME_DIR="$SANDBOX/runtime"
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS

# Registered once beforehand, so that every timed start is one with nothing to
# register; the database rebuilds it starts in the background hold a lock on
# their folder, so taking that lock waits for them to end.
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/brewdeck" -Register
sleep 1
flock "$XDG_DATA_HOME/mime" true
flock "$XDG_DATA_HOME/applications" true

set -- "$BUILD_DIR/bench/bench_startup" --runs "$RUNS" \
    "brewdeck=$BUILD_DIR/brewdeck" "bare=$BUILD_DIR/bench/bench_bare_mainwindow" \
    "text=$BUILD_DIR/bench/bench_text_mainwindow" "text-font=$BUILD_DIR/bench/bench_named_font_mainwindow"
if [ -n "${DISPLAY:-}" ]; then
    exec dbus-run-session -- "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$@"

#!/bin/sh
# Builds Brewdeck if needed and runs the whole test suite under a virtual X
# server and a private session bus. Arguments go to ctest (e.g. -R model).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BREWDECK_BUILD_DIR:-"$ROOT/build"}
"$ROOT/scripts/build.sh"

# Nothing a test does may reach the real home folder or desktop session.
SANDBOX=$(mktemp -d /tmp/brewdeck-test.XXXXXX)
trap 'rm -rf "$SANDBOX"' EXIT INT TERM
mkdir -p "$SANDBOX/home" "$SANDBOX/config" "$SANDBOX/data" "$SANDBOX/runtime"
chmod 700 "$SANDBOX/runtime"
export HOME="$SANDBOX/home" XDG_CONFIG_HOME="$SANDBOX/config" XDG_DATA_HOME="$SANDBOX/data"
export XDG_RUNTIME_DIR="$SANDBOX/runtime"
unset DBUS_SESSION_BUS_ADDRESS

xvfb-run -a -s "-screen 0 1280x1024x24" \
    dbus-run-session -- \
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j 2 "$@"

#!/bin/sh
# Runs the activation suite on a private session bus that reads the activation
# file "brewdeck -Register" wrote into a sandboxed data folder. The program runs
# from a copy in a folder with quotes, a backslash, spaces and Chinese in its
# name, so the bus's own reading of the Exec line is put to the test.
#   run-on-private-bus.sh BREWDECK SUITE [suite arguments]
set -eu
brewdeck=$1
suite=$2
shift 2

sandbox=$(mktemp -d /tmp/brewdeck-activation.XXXXXX)
trap 'rm -rf "$sandbox"' EXIT INT TERM
mkdir -p "$sandbox/home" "$sandbox/config" "$sandbox/data" "$sandbox/runtime"
chmod 700 "$sandbox/runtime"
export HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/config" XDG_DATA_HOME="$sandbox/data"
export XDG_RUNTIME_DIR="$sandbox/runtime"
unset DBUS_SESSION_BUS_ADDRESS DBUS_STARTER_ADDRESS DBUS_STARTER_BUS_TYPE

install_dir="$sandbox/my \"tools\" it's \\ 工具"
mkdir -p "$install_dir"
cp "$brewdeck" "$install_dir/brewdeck"
export BREWDECK_UNDER_TEST="$install_dir/brewdeck"

# Registered before the bus starts, so the bus finds the file at once.
QT_QPA_PLATFORM=offscreen "$BREWDECK_UNDER_TEST" -Register

# The instances the bus starts meet the X server, where the suite looks for
# their windows.
unset QT_QPA_PLATFORM
dbus-run-session -- "$suite" "$@"

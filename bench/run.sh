#!/bin/sh
# Runs every benchmark, one after the other, and prints their reports; the
# exit status is non-zero when any of them failed. Each benchmark is one
# `bench NAME COMMAND...` line at the end of this file: add yours there.
#
# usage: bench/run.sh   (build folder: $BREWDECK_BUILD_DIR, default ./build)
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BREWDECK_BUILD_DIR=${BREWDECK_BUILD_DIR:-"$ROOT/build"}
export BREWDECK_BUILD_DIR
"$ROOT/scripts/build.sh" || exit 1

status=0
bench() {
    name=$1
    shift
    echo "== $name"
    "$@" || { echo "== $name failed" >&2; status=1; }
    echo
}

bench startup "$ROOT/bench/startup.sh"
bench files "$ROOT/bench/files.sh"
bench webservice "$ROOT/bench/webservice-startup.sh"

exit $status

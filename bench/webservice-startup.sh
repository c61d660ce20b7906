#!/bin/sh
# Times the web service's start command against the server's own
# `catalina.sh start`, from the command to the home page's first HTTP 200.
# Starts the real server, so it holds the server port lock.
#
# usage: bench/webservice-startup.sh [ROUNDS]   (build folder: $BREWDECK_BUILD_DIR, default ./build)
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BREWDECK_BUILD_DIR:-"$ROOT/build"}
cmake --build "$BUILD_DIR" --target bench_webservice_startup runtime >/dev/null
exec "$ROOT/tests/tools/with-server-lock.sh" env QT_QPA_PLATFORM=offscreen \
    "$BUILD_DIR/bench/bench_webservice_startup" "$@"

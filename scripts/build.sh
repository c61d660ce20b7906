#!/bin/sh
# Installs what is missing, configures once and builds incrementally. The
# build folder ends up runnable: the executable with the server runtime
# provisioned beside it.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BREWDECK_BUILD_DIR:-"$ROOT/build"}

"$ROOT/scripts/deps.sh"

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"

#!/bin/sh
# Installs what is missing, configures once and builds incrementally. The
# build folder ends up runnable: the executable with the server runtime
# provisioned beside it.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BREWDECK_BUILD_DIR:-"$ROOT/build"}

"$ROOT/scripts/deps.sh"

# BREWDECK_CMAKE_ARGS: extra cache settings for this build folder, such as
# -DBREWDECK_SANITIZE=ON; given again, they are applied to an existing folder.
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    # shellcheck disable=SC2086
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${BREWDECK_CMAKE_ARGS:-}
elif [ -n "${BREWDECK_CMAKE_ARGS:-}" ]; then
    # shellcheck disable=SC2086
    cmake -S "$ROOT" -B "$BUILD_DIR" $BREWDECK_CMAKE_ARGS >/dev/null
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"

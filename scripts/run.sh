#!/bin/sh
# Builds Brewdeck if needed and starts it; arguments go to the program.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BREWDECK_BUILD_DIR:-"$ROOT/build"}
"$ROOT/scripts/build.sh"
exec "$BUILD_DIR/brewdeck" "$@"

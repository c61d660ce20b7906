#!/bin/sh
# Times refreshing the file lists against `find DIR -maxdepth 1 -name '*.jsp'`
# on folders of 10,000 and 100,000 files, and copying a 256 MiB JAR into the
# web application against `cp`, side by side in one run.
#
# usage: bench/files.sh [WORK_FOLDER]   (a temporary folder by default; the
#        build folder is $BREWDECK_BUILD_DIR, default ./build)
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BREWDECK_BUILD_DIR:-"$ROOT/build"}
cmake --build "$BUILD_DIR" --target bench_files >/dev/null
exec env QT_QPA_PLATFORM=offscreen "$BUILD_DIR/bench/bench_files" "$@"

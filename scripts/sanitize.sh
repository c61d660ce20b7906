#!/bin/sh
# The sanitizer pass. Builds Brewdeck with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-sanitize and runs the whole suite there
# through test.sh (the same sandbox, X server and session bus), so the real
# executable that the tests start is checked too. Then builds the fuzz
# targets with clang in build-fuzz and runs each one for a bounded number of
# inputs. Arguments go to the suite's ctest (e.g. -R cmdline).
#
# Any sanitizer report stops its process at once and fails the pass, even
# when the test does not look at how a child it started ended: address and
# leak reports are also written to files, undefined-behaviour reports are
# searched for in every test's output; all of them are printed.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SANITIZE_DIR=${BREWDECK_SANITIZE_DIR:-"$ROOT/build-sanitize"}
FUZZ_DIR=${BREWDECK_FUZZ_DIR:-"$ROOT/build-fuzz"}

"$ROOT/scripts/deps.sh"

REPORTS="$SANITIZE_DIR/sanitizer-reports"
rm -rf "$REPORTS"
mkdir -p "$REPORTS"

# Leaks are checked, except those that sanitize-leaks.supp names: allocations
# made inside other people's libraries and kept until exit on purpose.
common="halt_on_error=1:abort_on_error=1:print_stacktrace=1:log_exe_name=1"
export ASAN_OPTIONS="$common:detect_leaks=1:log_path=$REPORTS/asan"
export UBSAN_OPTIONS="$common"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/sanitize-leaks.supp:print_suppressions=0"

# UndefinedBehaviorSanitizer writes only to standard error, so every test's
# whole output is kept and searched as well.
OUTPUT="$SANITIZE_DIR/ctest-output.xml"
rm -f "$OUTPUT"

status=0
BREWDECK_BUILD_DIR="$SANITIZE_DIR" BREWDECK_CMAKE_ARGS="-DBREWDECK_SANITIZE=ON" \
    "$ROOT/scripts/test.sh" --output-junit "$OUTPUT" --test-output-size-passed 10000000 \
    --test-output-size-failed 10000000 "$@" || status=1
if grep -q 'runtime error:' "$OUTPUT" 2>/dev/null; then
    echo "brewdeck: UndefinedBehaviorSanitizer reports in the suite's output ($OUTPUT):" >&2
    grep 'runtime error:' "$OUTPUT" | sed 's/0x[0-9a-f]*/0x.../g' | sort | uniq -c >&2
    status=1
fi

# The fuzz targets report through libFuzzer on their own output.
export ASAN_OPTIONS="$common:detect_leaks=1" UBSAN_OPTIONS="$common"
if [ ! -f "$FUZZ_DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$FUZZ_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++-14 -DBREWDECK_FUZZ=ON -DBUILD_TESTING=OFF
fi
if cmake --build "$FUZZ_DIR" --target fuzzers -j "$(nproc)"; then
    ctest --test-dir "$FUZZ_DIR/tests/fuzz" --output-on-failure -j "$(nproc)" || status=1
else
    status=1
fi

for report in "$REPORTS"/*; do
    [ -e "$report" ] || continue
    echo "brewdeck: sanitizer report $report:" >&2
    cat "$report" >&2
    status=1
done
exit $status

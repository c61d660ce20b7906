#!/bin/sh
# One bounded fuzz run: FUZZER reads the seed corpus, then tries new inputs
# until RUNS inputs or SECONDS have passed. New inputs go to a scratch folder
# (the seed corpus stays as it is in git); an input that fails is kept in
# CRASHES for replay: FUZZER CRASHES/crash-...
set -eu
fuzzer=$1 seeds=$2 crashes=$3 runs=$4 seconds=$5

scratch=$(mktemp -d "${TMPDIR:-/tmp}/brewdeck-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM
mkdir -p "$crashes"

"$fuzzer" -runs="$runs" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "$scratch" "$seeds"

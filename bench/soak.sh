#!/bin/sh
# A longer soak than the test suite's: many seeds of many random user actions against the real windows.
#   bench/soak.sh [first-seed] [seeds] [actions]     e.g. bench/soak.sh 100 20 20000
set -eu
first=${1:-100}
count=${2:-10}
actions=${3:-10000}
seeds=$(seq -s, "$first" $((first + count - 1)))
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
QT_QPA_PLATFORM=offscreen QUILLMARK_SOAK_SEEDS="$seeds" QUILLMARK_SOAK_ACTIONS="$actions" \
    "$build/bin/test_soak" -silent

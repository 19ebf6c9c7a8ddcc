#!/usr/bin/env bash
# Builds the game alone (setting up what is missing) and runs it:
# tools/play.sh [options...]. The tests and benchmarks are tools/test.sh's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVALO_BUILD_DIR:-$root/build}/release
bash "$root/tools/build.sh" --game "$build" -DCMAKE_BUILD_TYPE=Release >&2
cd "$build" && exec ./korvalo "$@"

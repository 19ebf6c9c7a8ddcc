#!/usr/bin/env bash
# Configures and builds one tree: tools/build.sh [--game] DIR [cmake options...]
# Runs the machine set-up first, so it works on a fresh clone. With --game
# only the game is built (the program and the fonts beside it), after the
# set-up the game needs; without it, everything: tests and benchmarks too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
game=no
if [ "${1:-}" = --game ]; then game=yes; shift; fi
dir=$1; shift
if [ $game = yes ]; then
    prefix=$(bash "$root/tools/setup.sh" --game | tail -n1)
else
    prefix=$(bash "$root/tools/setup.sh" | tail -n1)
fi
# Configuring again is quick and picks up new test and bench folders.
cmake -S "$root" -B "$dir" -DKORVALO_DEPS_PREFIX="$prefix" "$@" >/dev/null
if [ $game = yes ]; then
    cmake --build "$dir" -j"$(nproc)" --target korvalo
else
    cmake --build "$dir" -j"$(nproc)"
fi

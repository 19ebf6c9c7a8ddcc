#!/usr/bin/env bash
# Configures and builds one tree: tools/build.sh DIR [cmake options...]
# Runs the machine set-up first, so it works on a fresh clone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
prefix=$(bash "$root/tools/setup.sh" | tail -n1)
# Configuring again is quick and picks up new test and bench folders.
cmake -S "$root" -B "$dir" -DKORVALO_DEPS_PREFIX="$prefix" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"

#!/usr/bin/env bash
# Builds and runs every test (setting up what is missing): tools/test.sh
# The unit tests run twice: under ASan+UBSan, then with everything else in the
# Release build. Tests that open a window run under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVALO_BUILD_DIR:-$root/build}
jobs=$(nproc)

bash "$root/tools/build.sh" "$build/sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVALO_SANITIZE=ON
bash "$root/tools/build.sh" "$build/release" -DCMAKE_BUILD_TYPE=Release

status=0
run_ctest() { # dir, ctest options...
    local dir=$1; shift
    (cd "$dir" && xvfb-run -a -s "-screen 0 1920x1080x24" \
        ctest --output-on-failure -j"$jobs" --timeout 900 "$@") || status=1
}
echo "== unit tests under ASan and UBSan"
run_ctest "$build/sanitize" -L unit
echo "== all tests (Release)"
run_ctest "$build/release"
exit $status

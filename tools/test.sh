#!/usr/bin/env bash
# Builds and runs every test (setting up what is missing): tools/test.sh
# The unit tests run twice: under ASan+UBSan, then with everything else in the
# Release build. Tests that open a window run under Xvfb. When clang is
# present, the fuzz programs run for a fixed number of inputs as well.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVALO_BUILD_DIR:-$root/build}
jobs=$(nproc)

bash "$root/tools/build.sh" "$build/sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVALO_SANITIZE=ON
bash "$root/tools/build.sh" "$build/release" -DCMAKE_BUILD_TYPE=Release
fuzz=no
if command -v clang++ >/dev/null && command -v clang >/dev/null; then
    fuzz=yes
    bash "$root/tools/build.sh" "$build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVALO_FUZZ=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
fi

status=0
# A plain Xvfb, as the README tells people to run the window tests: it resets
# whenever its last client leaves, and each window test program waits out
# such a reset and then holds the display until it ends.
run_ctest() { # dir, ctest options...
    local dir=$1; shift
    (cd "$dir" && xvfb-run -a -s "-screen 0 1920x1080x24" \
        ctest --output-on-failure -j"$jobs" --timeout 900 "$@") || status=1
}
echo "== unit tests under ASan and UBSan"
run_ctest "$build/sanitize" -L unit
echo "== all tests (Release)"
run_ctest "$build/release"
if [ "$fuzz" = yes ]; then
    echo "== fuzz programs (clang, ASan and UBSan)"
    run_ctest "$build/fuzz" -L fuzz
else
    echo "== fuzz programs skipped: no clang"
fi
exit $status

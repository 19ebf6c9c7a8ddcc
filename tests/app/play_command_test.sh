#!/usr/bin/env bash
# The play command builds the game alone and starts it with its arguments;
# the build command without --game builds everything. cmake and the game
# are stand-ins that write down how they were called.
# Usage: play_command_test.sh SOURCE_ROOT
set -euo pipefail
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/build/release"
cat > "$work/bin/cmake" <<'STUB'
#!/usr/bin/env bash
echo "cmake $*" >> "$CMAKE_CALLS"
STUB
cat > "$work/build/release/korvalo" <<'STUB'
#!/usr/bin/env bash
echo "game $*"
STUB
chmod +x "$work/bin/cmake" "$work/build/release/korvalo"
export CMAKE_CALLS=$work/calls KORVALO_BUILD_DIR=$work/build PATH=$work/bin:$PATH

failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

out=$(bash "$root/tools/play.sh" --sim 5 --log 2>/dev/null)
[ "$out" = "game --sim 5 --log" ] || fail "play.sh started: '$out'"
builds=$(grep -c -- "--build" "$CMAKE_CALLS" || true)
[ "$builds" = 1 ] || fail "play.sh built $builds times"
grep -q -- "--build $work/build/release .*--target korvalo" "$CMAKE_CALLS" ||
    fail "play.sh builds more than the game: $(grep -- --build "$CMAKE_CALLS")"

: > "$CMAKE_CALLS"
bash "$root/tools/build.sh" "$work/build/all" >/dev/null 2>&1
grep -q -- "--build $work/build/all" "$CMAKE_CALLS" || fail "build.sh did not build"
if grep -q -- "--target" "$CMAKE_CALLS"; then fail "build.sh without --game builds one target only"; fi
[ $failures = 0 ] && echo "ok"
exit $((failures > 0))

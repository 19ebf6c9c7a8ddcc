#!/usr/bin/env bash
# Gravity, the ball's radius and the rim's radius and height have one
# definition, in sim/court_geometry.h: no other source of the program
# defines a constant of those names, nor writes their values (9.81, half of
# it 4.905, 0.121, 0.2286) in its code. The rim height's 3.05 has namesakes
# among the pose angles and timings, so only its name is checked.
# Usage: tools/check_physical_constants.sh [source root]; exits 1 and lists offenders.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

home=sim/court_geometry.h
sources=()
for f in {sim,app,render,characters,ui,audio,net}/*.{h,cpp}; do
    [ -f "$f" ] && [ "$f" != "$home" ] && sources+=("$f")
done

status=0
if grep -nE '\bk(Gravity|BallRadius|RimRadius|RimHeight)\b *=' "${sources[@]}"; then
    echo "a physical constant is defined again outside $home (above)" >&2
    status=1
fi
# The values in code, comments left out.
if awk '{ code = $0; sub(/\/\/.*/, "", code) }
        code ~ /(^|[^0-9.])(9\.81|4\.905|0\.121|0\.2286)f?([^0-9]|$)/ { print FILENAME ":" FNR ":" $0; found = 1 }
        END { exit found ? 0 : 1 }' "${sources[@]}"; then
    echo "the value of a physical constant is written out instead of named from $home (above)" >&2
    status=1
fi
exit $status

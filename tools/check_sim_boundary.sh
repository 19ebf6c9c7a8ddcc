#!/usr/bin/env bash
# The match simulation stands alone: no file under sim/, nor the animation it
# runs, includes a header of the program around it (app/, render/, audio/,
# ui/, net/), and from characters/ the match takes only the skeleton, the
# poses and the animation, never meshes, GPU code or the builder.
# Usage: tools/check_sim_boundary.sh [source root]; exits 1 and lists offenders.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

animation=(characters/animation.* characters/action_poses.* characters/pose_generators.*
           characters/emote_poses.cpp characters/pose_keys.h characters/pose_slots.h
           characters/skeleton.h characters/sine_noise.* characters/appearance.h)
allowed_characters='characters/(animation|appearance|skeleton|sine_noise)\.h'

status=0
if grep -nE '#include "(app|render|audio|ui|net)/' sim/* "${animation[@]}"; then
    echo "the simulation includes headers from outside it (above)" >&2
    status=1
fi
if grep -nE '#include "characters/' sim/* | grep -vE "#include \"$allowed_characters\""; then
    echo "sim/ includes character code beyond the skeleton, poses and animation (above)" >&2
    status=1
fi
exit $status

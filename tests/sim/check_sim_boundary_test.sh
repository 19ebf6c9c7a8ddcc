#!/usr/bin/env bash
# The simulation's boundary check on small trees of its own making: a clean
# library passes; an include of the program around the match, or of the
# character model, fails it, also when it comes from a characters/ file of
# the library or through a header, and the offender is named.
# Usage: check_sim_boundary_test.sh PATH_TO_check_sim_boundary.sh
set -euo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A tree whose library is sim/match.cpp and characters/skeleton.cpp, with the
# given extra line appended to one file.
makeTree() { # dir, file to append to, line
    local dir=$1
    mkdir -p "$dir"/{sim,characters,render,ui,build}
    printf '#include "sim/match.h"\n#include "characters/skeleton.h"\n' > "$dir/sim/match.cpp"
    printf '#pragma once\n#include "characters/appearance.h"\n' > "$dir/sim/match.h"
    printf '#include "characters/skeleton.h"\n' > "$dir/characters/skeleton.cpp"
    printf '#pragma once\n' > "$dir/characters/skeleton.h"
    printf '#pragma once\n' > "$dir/characters/appearance.h"
    printf '#pragma once\n' > "$dir/characters/character_model.h"
    printf 'int model;\n' > "$dir/characters/character_model.cpp"
    printf '#pragma once\n' > "$dir/render/renderer.h"
    printf '#pragma once\n' > "$dir/ui/hud.h"
    [ -n "$2" ] && printf '%s\n' "$3" >> "$dir/$2"
    cat > "$dir/build/compile_commands.json" <<JSON
[
{
  "directory": "$dir/build",
  "command": "c++ -o CMakeFiles/korvalo_sim.dir/sim/match.cpp.o -c $dir/sim/match.cpp",
  "file": "$dir/sim/match.cpp"
},
{
  "directory": "$dir/build",
  "command": "c++ -o CMakeFiles/korvalo_sim.dir/characters/skeleton.cpp.o -c $dir/characters/skeleton.cpp",
  "file": "$dir/characters/skeleton.cpp"
},
{
  "directory": "$dir/build",
  "command": "c++ -o CMakeFiles/korvalo_characters.dir/characters/character_model.cpp.o -c $dir/characters/character_model.cpp",
  "file": "$dir/characters/character_model.cpp"
}
]
JSON
}

expect() { # name, wanted exit status, text the output must hold, file, line
    local dir=$work/$1 out status=0
    makeTree "$dir" "$4" "$5"
    out=$(bash "$check" "$dir" "$dir/build" 2>&1) || status=$?
    if [ "$status" != "$2" ] || [[ $out != *"$3"* ]]; then
        echo "FAIL $1: exit $status (wanted $2), output:"
        echo "$out"
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}

expect clean 0 "" "" ""
expect ui-from-sim 1 'sim/match.cpp: #include "ui/hud.h"' sim/match.cpp '#include "ui/hud.h"'
expect render-from-skeleton 1 'characters/skeleton.cpp: #include "render/renderer.h"' \
    characters/skeleton.cpp '#include "render/renderer.h"'
expect model-from-skeleton 1 'characters/skeleton.cpp: #include "characters/character_model.h"' \
    characters/skeleton.cpp '#include "characters/character_model.h"'
expect model-through-a-header 1 'characters/skeleton.h: #include "characters/character_model.h"' \
    characters/skeleton.h '#include "characters/character_model.h"'
expect program-outside-the-library-may 0 "" characters/character_model.cpp '#include "render/renderer.h"'
exit $((failures > 0))

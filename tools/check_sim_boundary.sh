#!/usr/bin/env bash
# The match simulation stands alone. Every file compiled into the simulation
# library (sim/ and the animation it runs from characters/, as the build's
# compile_commands.json lists them), and every header those files reach
# through the program's own includes, stays clear of the program around the
# match: nothing from app/, render/, audio/, ui/ or net/, and from
# characters/ only the library's own files (the skeleton, poses and
# animation) and headers without code of their own (the look), never the
# character model, its meshes, GPU code or the builder.
# Usage: tools/check_sim_boundary.sh [source root] [build dir]; exits 1 and
# lists each offending include with the file that has it.
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
build=${2:-$root/build/release}
[ -d "$build" ] && build=$(cd "$build" && pwd)
commands=$build/compile_commands.json
if [ ! -f "$commands" ]; then
    echo "no $commands: configure a build tree first (tools/build.sh)" >&2
    exit 2
fi
cd "$root"

# The library's sources, relative to the root: the files of the entries
# whose object lands in the library's own folder of the build.
mapfile -t library < <(awk -F'"' '
    /^[ \t]*\{/ { file = ""; ours = 0 }
    /korvalo_sim\.dir\// { ours = 1 }
    $2 == "file" { file = $4 }
    /^[ \t]*\}/ && ours && file != "" { print file }' "$commands" | sed "s|^$root/||" | sort -u)
if [ ${#library[@]} -eq 0 ]; then
    echo "compile_commands.json names no file of the simulation library" >&2
    exit 2
fi
declare -A inLibrary=()
for f in "${library[@]}"; do inLibrary[$f]=1; done

# A characters/ file the match may reach: one of the library's, the header
# of one of them, or a header with no code of its own.
allowedCharacterFile() {
    local f=$1 code=${1%.h}.cpp
    [ -n "${inLibrary[$f]:-}" ] && return 0
    [[ $f == *.h ]] && { [ -n "${inLibrary[$code]:-}" ] || [ ! -f "$code" ]; }
}

status=0
declare -A seen=()
queue=("${library[@]}")
while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    [ -n "${seen[$file]:-}" ] && continue
    seen[$file]=1
    while IFS= read -r include; do
        # Includes name a path from the root, or one beside the file.
        if [ -f "$include" ]; then target=$include
        elif [ -f "$(dirname "$file")/$include" ]; then target=$(dirname "$file")/$include
        else continue; fi
        offence=""
        case $target in
        app/* | render/* | audio/* | ui/* | net/*) offence="the program around the match" ;;
        characters/*) allowedCharacterFile "$target" || offence="character code beyond the skeleton, poses and animation" ;;
        esac
        if [ -n "$offence" ]; then
            echo "$file: #include \"$include\": $offence"
            status=1
        fi
        queue+=("$target")
    done < <(sed -nE 's/^[ \t]*#[ \t]*include[ \t]*"([^"]+)".*/\1/p' "$file")
done
[ $status -eq 0 ] || echo "the simulation library reaches outside itself (above)" >&2
exit $status

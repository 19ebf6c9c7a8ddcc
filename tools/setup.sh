#!/usr/bin/env bash
# One-time (and idempotent) machine set-up for building Korvalo on Debian.
#
# Installs the Debian packages the build and the tests need when they are
# missing and the party server's npm packages, then builds GLFW 3.4 and
# raylib 6.0 from Debian's own source packages into a cached prefix outside
# the work tree. The machine's own apt lists are never touched: the source
# packages come through a private apt configuration under the cache folder.
#
# Prints the dependency prefix on its last line. Quick when all is present.
# With --game, only what building and running the game needs: the party
# server's packages are for the tests alone.
set -euo pipefail
game_only=no
[ "${1:-}" = --game ] && game_only=yes

GLFW_VERSION=3.4
RAYLIB_VERSION=6.0
CACHE_ROOT=${KORVALO_DEPS_CACHE:-/var/cache/korvalo-deps}
PREFIX="$CACHE_ROOT/raylib-$RAYLIB_VERSION-glfw-$GLFW_VERSION"
APT_PACKAGES=(build-essential cmake pkg-config dpkg-dev ca-certificates
    libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxi-dev libxext-dev
    libgl-dev libgl1-mesa-dri xvfb xauth xdotool libgtest-dev libgmock-dev
    libbenchmark-dev libssl-dev openssl libasound2 libasound2-plugins nodejs npm
    python3-fonttools python3-brotli clang)

ROOT=$(cd "$(dirname "$0")/.." && pwd)

log() { echo "setup: $*" >&2; }

need_root() {
    if [ "$(id -u)" != 0 ]; then
        if command -v sudo >/dev/null; then echo sudo; else
            log "missing packages and not root: install them by hand: $*"; exit 1; fi
    fi
}

install_packages() {
    local missing=()
    for p in "${APT_PACKAGES[@]}"; do
        # npm ships inside nodesource's nodejs on some machines
        if [ "$p" = npm ] && command -v npm >/dev/null; then continue; fi
        if [ "$p" = nodejs ] && command -v node >/dev/null; then continue; fi
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local s; s=$(need_root "${missing[@]}")
    $s apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive $s apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# apt-get with its own sources list, lists and cache: fetches source packages
# from newer Debian releases without changing what this machine installs.
private_apt() {
    local dir="$CACHE_ROOT/apt"
    mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial"
    cat > "$dir/sources.list" <<LIST
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian unstable main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian trixie main
LIST
    apt-get -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" \
        -o Debug::NoLocking=1 "$@"
}

fetch_source() { # package, version prefix, release -> prints the unpacked folder
    local pkg=$1 want=$2 rel=$3 dir="$CACHE_ROOT/src"
    mkdir -p "$dir"
    local found; found=$(find "$dir" -maxdepth 1 -type d -name "$pkg-$want*" | head -n1)
    if [ -z "$found" ]; then
        [ -f "$CACHE_ROOT/apt/.updated" ] || { private_apt update -qq >&2 && touch "$CACHE_ROOT/apt/.updated"; }
        (cd "$dir" && private_apt source -qq "$pkg/$rel" >&2)
        found=$(find "$dir" -maxdepth 1 -type d -name "$pkg-$want*" | head -n1)
        [ -n "$found" ] || { log "source of $pkg $want not found"; exit 1; }
    fi
    echo "$found"
}

build_deps() {
    [ -f "$PREFIX/.complete" ] && return 0
    log "building GLFW $GLFW_VERSION and raylib $RAYLIB_VERSION into $PREFIX"
    mkdir -p "$CACHE_ROOT"
    local glfw raylib jobs; jobs=$(nproc)
    glfw=$(fetch_source glfw3 "$GLFW_VERSION" trixie)
    raylib=$(fetch_source raylib "$RAYLIB_VERSION" unstable)
    rm -rf "$CACHE_ROOT/build" && mkdir -p "$CACHE_ROOT/build"
    cmake -S "$glfw" -B "$CACHE_ROOT/build/glfw" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
        -DGLFW_BUILD_WAYLAND=OFF -DGLFW_BUILD_X11=ON -DGLFW_BUILD_EXAMPLES=OFF \
        -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF >&2
    cmake --build "$CACHE_ROOT/build/glfw" -j"$jobs" >&2
    cmake --install "$CACHE_ROOT/build/glfw" >&2
    cmake -S "$raylib" -B "$CACHE_ROOT/build/raylib" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX" -DBUILD_SHARED_LIBS=OFF \
        -DCMAKE_POSITION_INDEPENDENT_CODE=ON -DUSE_EXTERNAL_GLFW=ON -DPLATFORM=Desktop \
        -DBUILD_EXAMPLES=OFF -DCUSTOMIZE_BUILD=OFF >&2
    cmake --build "$CACHE_ROOT/build/raylib" -j"$jobs" >&2
    cmake --install "$CACHE_ROOT/build/raylib" >&2
    rm -rf "$CACHE_ROOT/build"
    touch "$PREFIX/.complete"
}

# The two font files beside the program: Anton and Fira Sans Bold from the
# npm registry, their Latin WOFF files turned into TrueType with fontTools.
install_fonts() {
    local src="$ROOT/tools/fonts" out="$PREFIX/share/korvalo-fonts"
    local key; key=$(cat "$src/package-lock.json" | sha256sum | cut -c1-16)
    [ -f "$out/.key" ] && [ "$(cat "$out/.key")" = "$key" ] && return 0
    log "installing the fonts"
    local work="$CACHE_ROOT/fonts-work"
    rm -rf "$work" && mkdir -p "$work" && cp "$src/package.json" "$src/package-lock.json" "$work/"
    (cd "$work" && npm ci --no-audit --no-fund --silent >&2)
    rm -rf "$out" && mkdir -p "$out"
    local m="$work/node_modules/@fontsource"
    /usr/bin/python3 - "$m" "$out" <<'PY'
import sys
from fontTools.ttLib import TTFont
mods, out = sys.argv[1], sys.argv[2]
for src, dst in (("anton/files/anton-latin-400-normal.woff", "Anton-Regular.ttf"),
                 ("fira-sans/files/fira-sans-latin-700-normal.woff", "FiraSans-Bold.ttf")):
    font = TTFont(f"{mods}/{src}")
    font.flavor = None
    font.save(f"{out}/{dst}")
PY
    cp "$m/anton/LICENSE" "$out/Anton-OFL.txt"
    cp "$m/fira-sans/LICENSE" "$out/FiraSans-OFL.txt"
    echo "$key" > "$out/.key"
    rm -rf "$work"
}

# The party server that the network tests start: its npm packages, pinned by
# its lock file, installed again only when the lock file is newer than them.
install_party_server() {
    local dir; dir="$(cd "$(dirname "$0")" && pwd)/party-server"
    local installed="$dir/node_modules/.package-lock.json"
    if [ -f "$installed" ] && [ ! "$dir/package-lock.json" -nt "$installed" ]; then return 0; fi
    log "installing the party server's npm packages"
    (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error) >&2
}

install_packages
[ $game_only = yes ] || install_party_server
build_deps
install_fonts
echo "$PREFIX"

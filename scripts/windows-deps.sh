#!/usr/bin/env bash
# Builds the Windows libraries the cross build needs (SDL2, libjpeg-turbo and
# GoogleTest, all static) with the mingw-w64 compiler, from Debian's own
# sources of the versions installed here, and prints the folder they are
# installed in.
#
# The result is kept in ${XDG_CACHE_HOME:-$HOME/.cache}/quorvadellix/, in a
# folder named after the source versions and the compiler, so later runs (from
# any clone) reuse it and rebuild nothing. Sources are fetched with
# `apt-get source` through a private apt configuration that adds deb-src
# entries for the machine's own Debian sources; the system's apt set-up is
# left untouched.
set -euo pipefail
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Raise when the way the libraries are built changes.
RECIPE=1
CC=x86_64-w64-mingw32-gcc-posix
TOOLCHAIN=$QV_ROOT/cmake/mingw-w64-x86_64.cmake

log() { echo "windows-deps: $*" >&2; }

source_of() { dpkg-query -W -f='${source:Package}=${source:Version}' "$1"; }
SDL_SRC=$(source_of libsdl2-dev)
JPEG_SRC=$(source_of libjpeg62-turbo-dev)
GTEST_VERSION=$(dpkg-query -W -f='${Version}' libgtest-dev)
CC_VERSION=$("$CC" -dumpfullversion)-$(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix)
key="r$RECIPE-sdl-${SDL_SRC#*=}-jpeg-${JPEG_SRC#*=}-gtest-$GTEST_VERSION-gcc-$CC_VERSION"
key=${key//[^A-Za-z0-9._+-]/_}

cache=${XDG_CACHE_HOME:-$HOME/.cache}/quorvadellix
prefix=$cache/windows-$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
mkdir -p "$cache"
exec 9>"$cache/.windows-deps.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$(mktemp -d "$cache/build.XXXXXX")
trap 'rm -rf "$work"' EXIT
log "building SDL2, libjpeg-turbo and GoogleTest for Windows into $prefix"

# A private apt configuration whose only sources are deb-src twins of the
# machine's configured Debian sources.
apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
: >"$apt_dir/sources.list"
if [ -f /etc/apt/sources.list ]; then
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$apt_dir/sources.list"
fi
for file in /etc/apt/sources.list.d/*.list; do
  [ -f "$file" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file" >>"$apt_dir/sources.list"
done
for file in /etc/apt/sources.list.d/*.sources; do
  [ -f "$file" ] || continue
  sed 's/^Types:.*/Types: deb-src/' "$file" >"$apt_dir/sources.list.d/$(basename "$file")"
done
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
  -o "Dir::State::Status=/var/lib/dpkg/status" -o "Debug::NoLocking=true")
if [ "$(id -u)" -eq 0 ]; then
  apt_options+=(-o "APT::Sandbox::User=root")
fi
log "fetching $SDL_SRC and $JPEG_SRC"
apt-get "${apt_options[@]}" -qq update >&2
(cd "$work" && apt-get "${apt_options[@]}" -qq source --download-only "$SDL_SRC" "$JPEG_SRC" >&2)
for dsc in "$work"/*.dsc; do
  (cd "$work" && dpkg-source --no-check -x "$dsc" >&2)
done

# Installed in place (the packages' CMake files are relocatable only in
# part); the marker file says the folder is complete.
stage=$prefix
rm -rf "$stage"
jobs=$(nproc)
cross_build() { # cross_build NAME SOURCE_DIR CMAKE_ARGS...
  local name=$1 src=$2
  shift 2
  log "building $name"
  cmake -S "$src" -B "$work/build-$name" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage" "$@" >"$work/$name.log" 2>&1 &&
    cmake --build "$work/build-$name" -j "$jobs" >>"$work/$name.log" 2>&1 &&
    cmake --install "$work/build-$name" >>"$work/$name.log" 2>&1 || {
    tail -n 40 "$work/$name.log" >&2
    log "building $name failed"
    exit 1
  }
}

# Only the video, events and rendering parts are used by the game.
cross_build sdl2 "$(ls -d "$work"/libsdl2-*/)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_AUDIO=OFF -DSDL_HAPTIC=OFF -DSDL_JOYSTICK=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF
cross_build libjpeg-turbo "$(ls -d "$work"/libjpeg-turbo-*/)" -DENABLE_SHARED=OFF \
  -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
  -DCMAKE_ASM_NASM_COMPILER=nasm
cross_build googletest /usr/src/googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON

touch "$prefix/.complete"
log "done"
echo "$prefix"

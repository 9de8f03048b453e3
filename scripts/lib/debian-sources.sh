# shellcheck shell=bash
# What build-windows-libs.sh and build-web-libs.sh share: building libraries
# once into a cache folder under a lock, from Debian's own sources of the
# versions installed here. Sourced, not run.
#
# Defines: qv_source_of, qv_start_build (which sets QV_DEPS_PREFIX and
# QV_DEPS_WORK), qv_fetch_sources, qv_cmake_install and qv_deps_log. Needs:
# apt-get, dpkg-source, flock and cmake; nothing from its caller.

# qv_source_of PACKAGE: the source package and version PACKAGE was built from,
# as NAME=VERSION for apt-get source.
qv_source_of() { dpkg-query -W -f='${source:Package}=${source:Version}' "$1"; }

# qv_reuse_or_lock PREFIX LOCKFILE: when PREFIX is complete (its .complete
# marker exists), prints it and ends the script; otherwise takes LOCKFILE on
# file descriptor 9 (waiting while another run builds) and looks again, so
# that only one run builds and the others reuse what it made.
qv_reuse_or_lock() {
  local prefix=$1 lock=$2
  if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
  fi
  mkdir -p "$(dirname "$lock")"
  exec 9>"$lock"
  flock 9
  if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
  fi
}

# qv_fetch_sources WORK SOURCE=VERSION...: downloads and unpacks those source
# packages into WORK through a private apt configuration whose only sources
# are deb-src twins of the machine's configured Debian sources; the system's
# apt set-up is left untouched.
qv_fetch_sources() {
  local work=$1 file
  shift
  local apt_dir=$work/apt
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
  local apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
    -o "Dir::State::Status=/var/lib/dpkg/status" -o "Debug::NoLocking=true")
  if [ "$(id -u)" -eq 0 ]; then
    apt_options+=(-o "APT::Sandbox::User=root")
  fi
  apt-get "${apt_options[@]}" -qq update >&2
  (cd "$work" && apt-get "${apt_options[@]}" -qq source --download-only "$@" >&2)
  for file in "$work"/*.dsc; do
    (cd "$work" && dpkg-source --no-check -x "$file" >&2)
  done
}

# qv_deps_log TEXT...: one line of progress on standard error, named after
# the set of libraries being built.
qv_deps_log() { echo "${QV_DEPS_NAME:-libraries}: $*" >&2; }

# qv_start_build NAME KEY: the cache folder NAME-KEY for a set of libraries
# (KEY made safe as a folder name), in QV_DEPS_PREFIX. When it is complete,
# prints it and ends the script; otherwise takes NAME's lock, empties the
# folder and makes a scratch folder QV_DEPS_WORK that goes away with the
# script.
qv_start_build() {
  local cache=${XDG_CACHE_HOME:-$HOME/.cache}/quorvadellix
  QV_DEPS_NAME=$1
  QV_DEPS_PREFIX=$cache/$1-${2//[^A-Za-z0-9._+-]/_}
  qv_reuse_or_lock "$QV_DEPS_PREFIX" "$cache/.$1-deps.lock"
  QV_DEPS_WORK=$(mktemp -d "$cache/build.XXXXXX")
  trap 'rm -rf "$QV_DEPS_WORK"' EXIT
  # Installed in place (the packages' CMake files are relocatable only in
  # part); the marker file says the folder is complete.
  rm -rf "$QV_DEPS_PREFIX"
}

# qv_cmake_install NAME SOURCE_DIR CONFIGURE_COMMAND... -- CMAKE_ARGS...:
# configures SOURCE_DIR with CONFIGURE_COMMAND (cmake, or a wrapper around it)
# as a release build installing into QV_DEPS_PREFIX, builds and installs it,
# logging to QV_DEPS_WORK/NAME.log; on a failure shows the log's end and ends
# the script. Call qv_start_build first.
qv_cmake_install() {
  local name=$1 src=$2 configure=()
  shift 2
  while [ "$1" != -- ]; do
    configure+=("$1")
    shift
  done
  shift
  local build=$QV_DEPS_WORK/build-$name log=$QV_DEPS_WORK/$name.log
  qv_deps_log "building $name"
  if ! "${configure[@]}" -S "$src" -B "$build" -G "Unix Makefiles" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$QV_DEPS_PREFIX" "$@" >"$log" 2>&1 ||
    ! cmake --build "$build" -j "$(nproc)" >>"$log" 2>&1 ||
    ! cmake --install "$build" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    qv_deps_log "building $name failed"
    exit 1
  fi
}

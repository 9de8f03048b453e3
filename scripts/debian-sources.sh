# What windows-deps.sh and web-deps.sh share: building libraries once into a
# cache folder under a lock, from Debian's own sources of the versions
# installed here. Sourced, not run.

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

# qv_start_build NAME KEY: the cache folder NAME-KEY for a set of libraries
# (KEY made safe as a folder name) in $prefix. When it is complete, prints it
# and ends the script; otherwise takes NAME's lock, empties $prefix and makes
# a scratch folder $work that goes away with the script.
qv_start_build() {
  local cache=${XDG_CACHE_HOME:-$HOME/.cache}/quorvadellix
  prefix=$cache/$1-${2//[^A-Za-z0-9._+-]/_}
  qv_reuse_or_lock "$prefix" "$cache/.$1-deps.lock"
  work=$(mktemp -d "$cache/build.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  # Installed in place (the packages' CMake files are relocatable only in
  # part); the marker file says the folder is complete.
  rm -rf "$prefix"
}

# qv_cmake_install NAME SOURCE_DIR CMAKE_ARGS...: configures SOURCE_DIR with
# the command in the array QV_CONFIGURE (a release build installing into
# $prefix), builds and installs it, logging to $work/NAME.log; on a failure
# shows the log's end and ends the script. The caller defines log.
qv_cmake_install() {
  local name=$1 src=$2
  shift 2
  log "building $name"
  "${QV_CONFIGURE[@]}" -S "$src" -B "$work/build-$name" -G "Unix Makefiles" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$work/$name.log" 2>&1 &&
    cmake --build "$work/build-$name" -j "$(nproc)" >>"$work/$name.log" 2>&1 &&
    cmake --install "$work/build-$name" >>"$work/$name.log" 2>&1 || {
    tail -n 40 "$work/$name.log" >&2
    log "building $name failed"
    exit 1
  }
}

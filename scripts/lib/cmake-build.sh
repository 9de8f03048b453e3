# shellcheck shell=bash
# Configuring and building one of the project's CMake build folders, with
# progress shown only when there is work to do. Sourced, not run.
#
# Defines: qv_configure_and_build, qv_build_native_pictures. Needs: cmake on PATH.

# qv_configure_and_build SOURCE_DIR BUILD_DIR [CMAKE_ARGS...]
# Configures BUILD_DIR (the output goes to BUILD_DIR.configure.log and is shown
# only on a failure) and builds every target, or only those named in
# QV_BUILD_TARGETS. The build's progress lines go to standard error, after one
# line that says what is being built; a build with nothing to do prints
# nothing. Stops the script when either step fails.
qv_configure_and_build() {
  local src=$1 dir=$2
  shift 2
  if ! cmake -S "$src" -B "$dir" "$@" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log" >&2
    echo "error: configuring $dir failed" >&2
    exit 1
  fi
  local targets=() target
  for target in ${QV_BUILD_TARGETS:-}; do
    targets+=(--target "$target")
  done
  # Make prints "[ 42%] Building CXX object ..." for each step it takes and
  # only "Built target ..." when a target is up to date.
  if cmake --build "$dir" -j "$(nproc)" "${targets[@]}" 2>&1 | qv_build_progress "${dir##*/}"
    [ "${PIPESTATUS[0]}" -ne 0 ]; then
    echo "error: building $dir failed" >&2
    exit 1
  fi
}

# qv_build_progress NAME: passes a build's output on to standard error, less
# the lines of targets that were already up to date, after a first line that
# says NAME/ is being built; says nothing when nothing was built.
qv_build_progress() {
  local line said=''
  while IFS= read -r line; do
    case $line in
      *'Built target'* | *'Consolidate compiler generated dependencies'*) ;;
      *)
        if [ -z "$said" ]; then
          echo "Building $1/ (a first build takes a few minutes)..." >&2
          said=1
        fi
        echo "$line" >&2
        ;;
    esac
  done
}

# qv_build_native_pictures ROOT: draws the game's pictures and icons with the
# picture generator of the native build in ROOT/build, the same folder and
# settings that play.sh and test.sh use; the Windows and web builds take them
# from there.
qv_build_native_pictures() {
  mkdir -p "$1/build"
  QV_BUILD_TARGETS="qv_pictures qv_icons" qv_configure_and_build "$1" "$1/build" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
}

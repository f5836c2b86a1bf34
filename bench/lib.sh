# shellcheck shell=bash disable=SC2034
# Sourced by the bench scripts: `root`, and `build` from the script's first argument, configured
# with the default preset when it is not a build folder yet.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake --preset default -S "$root" >/dev/null
    build=$root/build
fi

# Builds the program with its tool and data; sets `program`.
buildProgram() {
    cmake --build "$build" --target VideoConverter vc_tool vc_probe vc_data >/dev/null
    program=$build/program/VideoConverter
}

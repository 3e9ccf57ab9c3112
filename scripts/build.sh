#!/usr/bin/env bash
# Configures (once) and builds into build/ (incremental; ccache when present). A development
# build: warnings in our own code are errors. CMAKE_ARGS adds to (and may override) the options
# of the first configuration; BUILD_DIR and BUILD_TYPE name another build.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
export CCACHE_BASEDIR="$PWD"
BUILD_DIR="${BUILD_DIR:-build}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DTESSALY_WERROR=ON \
    ${CMAKE_ARGS:-}
fi
cmake --build "$BUILD_DIR" -j "$(nproc)" "$@"

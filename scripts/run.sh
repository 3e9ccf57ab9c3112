#!/usr/bin/env bash
# Installs what building and running need (no test tools), builds the workbench alone into
# build-run/ the way a user's build is made (warnings do not stop it), and launches it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
BUILD_DIR="${BUILD_DIR:-build-run}"
BUILD_DIR="$BUILD_DIR" CMAKE_ARGS="-DTESSALY_WERROR=OFF -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=OFF" \
  bash scripts/build.sh --target tessaly
exec "$BUILD_DIR/src/tessaly" "$@"

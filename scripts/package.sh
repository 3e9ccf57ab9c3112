#!/usr/bin/env bash
# Builds the program and its Debian package: ${BUILD_DIR:-build-package}/tessaly_<version>_<arch>.deb
# (binaries stripped; dependencies found by dpkg-shlibdeps). Install it with
#   sudo apt install ./build-package/tessaly_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh packaging
# A user's build: warnings do not stop it, and no tests or benchmarks are built.
BUILD_DIR="${BUILD_DIR:-build-package}"
BUILD_DIR="$BUILD_DIR" CMAKE_ARGS="-DTESSALY_WERROR=OFF -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=OFF" \
  bash scripts/build.sh --target tessaly tessaly-cli
cd "$BUILD_DIR"
cpack -G DEB >/dev/null
ls -1 "$PWD"/tessaly_*.deb

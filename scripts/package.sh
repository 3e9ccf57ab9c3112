#!/usr/bin/env bash
# Builds the program and its Debian package: ${BUILD_DIR:-build}/tessaly_<version>_<arch>.deb
# (binaries stripped; dependencies found by dpkg-shlibdeps). Install it with
#   sudo apt install ./build/tessaly_1.8_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh packaging
BUILD_DIR="${BUILD_DIR:-build}"
BUILD_DIR="$BUILD_DIR" bash scripts/build.sh --target tessaly tessaly-cli
cd "$BUILD_DIR"
cpack -G DEB >/dev/null
ls -1 "$PWD"/tessaly_*.deb

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (window tests offscreen), then a short
# fuzz smoke: each fuzz target for a few seconds under clang with ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
(cd "${BUILD_DIR:-build}" && ctest --output-on-failure -j "$(nproc)" "$@")
bash scripts/fuzz.sh --smoke

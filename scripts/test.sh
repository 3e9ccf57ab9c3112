#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (window tests offscreen), then a short
# fuzz smoke: each fuzz target for a few seconds under clang with ASan and UBSan. The results
# store's tests run against a throw-away PostgreSQL cluster started here and stopped on exit.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
TESSALY_TEST_PG_DIR=""
trap '[ -z "$TESSALY_TEST_PG_DIR" ] || bash scripts/pg-test-cluster.sh stop "$TESSALY_TEST_PG_DIR"' EXIT
eval "$(bash scripts/pg-test-cluster.sh start)"
(cd "${BUILD_DIR:-build}" && ctest --output-on-failure -j "$(nproc)" "$@")
bash scripts/fuzz.sh --smoke

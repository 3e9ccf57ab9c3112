#!/usr/bin/env bash
# Installs what testing needs, builds everything (a development build: warnings are errors), and
# runs every test with ctest (window tests offscreen). The results store's tests run against a
# throw-away PostgreSQL cluster started here and stopped on exit. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
TESSALY_TEST_PG_DIR=""
trap '[ -z "$TESSALY_TEST_PG_DIR" ] || bash scripts/pg-test-cluster.sh stop "$TESSALY_TEST_PG_DIR"' EXIT
eval "$(bash scripts/pg-test-cluster.sh start)"
(cd "${BUILD_DIR:-build}" && ctest --output-on-failure -j "$(nproc)" "$@")

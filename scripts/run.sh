#!/usr/bin/env bash
# Installs what is missing, builds, and launches the workbench.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh --target tessaly
exec "${BUILD_DIR:-build}/src/tessaly" "$@"

#!/usr/bin/env bash
# Installs the Debian packages one kind of work needs. Safe to run again: it only calls apt-get
# when a package is missing.
#   install-deps.sh [run]   build and run the workbench (scripts/run.sh)
#   install-deps.sh test    also build and run every test (scripts/test.sh): the test framework,
#                           the fake services, benchmark peers, PostgreSQL for the store's tests
#   install-deps.sh ci      also what CI adds after the tests: clang for the fuzz smoke and the
#                           format check
#   install-deps.sh packaging   also build the .deb and try it in a fresh Debian
#                               (scripts/package.sh, scripts/test-package.sh)
set -euo pipefail

run_packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools libgl-dev
  qt6-translations-l10n  # Qt's Chinese texts: message-box buttons, file dialogs
  libcurl4-openssl-dev libssl-dev openssl ca-certificates
  libpcre2-dev libopencc-dev opencc
  libsqlite3-dev libpq-dev  # the results store
  fonts-wqy-zenhei  # Chinese text in the windows
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  libqscintilla2-qt6-dev  # a peer in the list-box benchmark
  sqlite3     # a peer in the store benchmark
  postgresql  # the server of the store tests' throw-away cluster (scripts/pg-test-cluster.sh)
  nodejs      # the pattern tests compare with node's ECMAScript engine
)
ci_packages=(clang-14 libclang-rt-14-dev clang-format-14)
packaging_packages=(dpkg-dev file debootstrap desktop-file-utils python3)

packages=("${run_packages[@]}")
case "${1:-run}" in
  run) ;;
  test) packages+=("${test_packages[@]}") ;;
  ci) packages+=("${test_packages[@]}" "${ci_packages[@]}") ;;
  packaging) packages+=("${packaging_packages[@]}") ;;
  *) echo "usage: install-deps.sh [run|test|ci|packaging]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

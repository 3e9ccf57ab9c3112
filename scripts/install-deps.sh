#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test. Safe to run again:
# it only calls apt-get when a package is missing. "packaging" adds what building the .deb and
# testing it in a fresh Debian needs (scripts/package.sh, scripts/test-package.sh).
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools libgl-dev
  qt6-translations-l10n  # Qt's Chinese texts: message-box buttons, file dialogs
  libcurl4-openssl-dev libssl-dev openssl ca-certificates
  libpcre2-dev libopencc-dev opencc
  libsqlite3-dev libpq-dev sqlite3  # the results store
  postgresql  # the server of the store tests' throw-away cluster (scripts/pg-test-cluster.sh)
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  libqscintilla2-qt6-dev  # a peer in the list-box benchmark
  clang-14 libclang-rt-14-dev
  unicode-data fonts-wqy-zenhei
  nodejs
)
if [ "${1:-}" = packaging ]; then
  packages+=(dpkg-dev file debootstrap desktop-file-utils python3)
fi

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

#!/usr/bin/env bash
# Tries the Debian package in a fresh Debian 12 (a debootstrap chroot; needs root and Debian's
# mirror; run by hand, not in CI): installs the .deb with apt (no recommended packages, so the
# declared dependencies must be enough), starts the workbench from its menu entry offscreen, runs
# tessaly-cli inclusion against the fake search service (tests/serve/fake_services, run outside
# the chroot on 127.0.0.1), then removes the package and checks that nothing of it is left.
#   sudo bash scripts/package.sh && sudo bash scripts/test-package.sh
# CHROOT names the chroot folder (default /var/tmp/tessaly-bookworm; made when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
PACKAGE_DIR="${PACKAGE_DIR:-build-package}"  # where scripts/package.sh left the .deb
ROOT="${CHROOT:-/var/tmp/tessaly-bookworm}"
deb="$(ls -1t "$PWD/$PACKAGE_DIR"/tessaly_*.deb 2>/dev/null | head -1 || true)"
[ -n "$deb" ] || { echo "no package in $PACKAGE_DIR: run scripts/package.sh first" >&2; exit 2; }
bash scripts/install-deps.sh test >/dev/null
bash scripts/build.sh --target fake_services >/dev/null  # the fake search service, a test program

step() { printf '\n== %s\n' "$*"; }
in_root() { chroot "$ROOT" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
as_user() { in_root su - tester -c "$1"; }

if [ ! -x "$ROOT/usr/bin/apt-get" ]; then
  step "debootstrap bookworm into $ROOT"
  debootstrap --variant=minbase bookworm "$ROOT" http://deb.debian.org/debian >/dev/null
fi
mounts=(proc sys dev dev/pts dev/shm)
cleanup() {
  [ -n "${fake_pid:-}" ] && kill "$fake_pid" 2>/dev/null || true
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "$ROOT/${mounts[$i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
for m in proc sys dev dev/pts; do mount --bind "/$m" "$ROOT/$m"; done
mount -t tmpfs -o mode=1777 tmpfs "$ROOT/dev/shm"  # the browser engine's shared memory
cp /etc/resolv.conf "$ROOT/etc/resolv.conf"
cp "$deb" "$ROOT/tmp/"
in_root id tester >/dev/null 2>&1 || in_root useradd -m tester

step "dpkg-deb --info $(basename "$deb")"
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Architecture|Depends|Recommends|Installed-Size):'

step "apt-get install --no-install-recommends ./$(basename "$deb")"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" \
  | grep -E '^(Setting up tessaly|[0-9]+ upgraded)' || true
in_root dpkg -L tessaly | grep -E 'bin/|applications/|icons/.*(scalable|256)' 

step "the menu entry"
desktop-file-validate "$ROOT/usr/share/applications/tessaly.desktop" && echo "tessaly.desktop: valid"
exec_line="$(sed -n 's/^Exec=//p' "$ROOT/usr/share/applications/tessaly.desktop")"
echo "Exec=$exec_line"

step "the workbench, started from the menu entry's command, offscreen"
as_user "QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 $exec_line --quit-after-start 2>/tmp/tessaly-start.log" ||
  { tail -20 "$ROOT/tmp/tessaly-start.log" >&2; exit 1; }
as_user 'ls -d ~/.local/share/Tessaly'

step "tessaly-cli inclusion --format jsonl against the fake services"
rm -f "$ROOT/tmp/endpoints.conf"
sleep 3600 | "${BUILD_DIR:-build}/tests/fake_services" "$ROOT/tmp/endpoints.conf" &
fake_pid=$!
for _ in $(seq 100); do [ -s "$ROOT/tmp/endpoints.conf" ] && break; sleep 0.1; done
cat "$ROOT/tmp/endpoints.conf"
set +e
as_user "printf 'a.com\nc.net\nnone.cn\n' | tessaly-cli inclusion --format jsonl --delay 0 --endpoints /tmp/endpoints.conf"
status=$?
set -e
echo "exit status $status"
[ "$status" -eq 0 ]

step "apt-get purge tessaly"
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tessaly | grep -E '^Removing tessaly' || true
left="$(ls "$ROOT"/usr/bin/tessaly* "$ROOT"/usr/share/applications/tessaly.desktop 2>/dev/null || true)"
[ -z "$left" ] || { echo "left behind: $left" >&2; exit 1; }
echo "nothing of the package is left"

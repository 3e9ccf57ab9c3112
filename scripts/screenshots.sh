#!/usr/bin/env bash
# Renders the workbench offscreen with the screenshot test and refreshes the README's pictures
# in docs/: a picture is replaced only when it looks different (not when only its bytes do).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
BUILD_DIR="$BUILD_DIR" bash scripts/build.sh --target gui_test_screenshots >/dev/null
QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 "$BUILD_DIR/tests/gui_test_screenshots" >/dev/null
mkdir -p docs
# docs name <- the screenshot test's name
declare -A pictures=([workbench]=main_page0 [inclusion]=main_inclusion_after_run)
for name in "${!pictures[@]}"; do
  new="$BUILD_DIR/screenshots/${pictures[$name]}.png"
  old="docs/$name.png"
  if [ -f "$old" ] && python3 - "$old" "$new" <<'PY'; then
import sys, zlib
def pixels(path):
    data = open(path, 'rb').read()
    pos, idat, head = 8, b'', b''
    while pos < len(data):
        n = int.from_bytes(data[pos:pos + 4], 'big')
        kind = data[pos + 4:pos + 8]
        if kind == b'IHDR': head = data[pos + 8:pos + 8 + n]
        if kind == b'IDAT': idat += data[pos + 8:pos + 8 + n]
        pos += 12 + n
    return head, zlib.decompress(idat)
sys.exit(0 if pixels(sys.argv[1]) == pixels(sys.argv[2]) else 1)
PY
    echo "$old: unchanged"
  else
    cp "$new" "$old"
    echo "$old: rendered again"
  fi
done

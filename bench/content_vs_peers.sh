#!/usr/bin/env bash
# Line-list tools and text conversions against standard tools in the same run: dedupe of
# 1,000,000 lines against awk '!seen[$0]++', shuffle of the same lines against shuf, and
# simplified-to-traditional and full pinyin of a 10 MB text against the opencc command. Whole
# processes on the same input; the wall time of each is the median of RUNS runs after one
# warm-up. Then the in-process Google Benchmark figures of bench_content, and (when built) the
# window timings of gui_bench_content, start click to result shown.
#   BUILD_DIR=build-texttools RUNS=5 bash bench/content_vs_peers.sh
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
RUNS="${RUNS:-5}"
BIN="$BUILD_DIR/bench/bench_content"
GUI_BIN="$BUILD_DIR/bench/gui_bench_content"
[ -x "$BIN" ] || bash scripts/build.sh --target bench_content >/dev/null
export LC_ALL=C  # the peers work on bytes

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
lines="$work/lines.txt"
text="$work/text.txt"
"$BIN" --write-lines "$lines"
"$BIN" --write-text "$text"
iconv -f GBK -t UTF-8 "$text" >"$work/text.utf8"
echo "input: $(wc -l <"$lines") keyword lines ($(stat -c %s "$lines") bytes, GBK CR LF);" \
  "text of $(stat -c %s "$text") bytes (GBK CR LF), $(stat -c %s "$work/text.utf8") bytes as UTF-8 for opencc"

. bench/timing.sh

report() {
  local name="$1" a="$2" peer="$3" b="$4" note="$5"
  printf '%-34s ours %6s ms   %-10s %6s ms   ratio %s   %s\n' "$name" "$a" "$peer" "$b" \
    "$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')" "$note"
}

echo "whole processes, median of $RUNS runs (ratio = ours / peer):"

a=$(median_ms "$work/ours.out" "$BIN" --dedupe "$lines")
b=$(median_ms "$work/peer.out" awk '!seen[$0]++' "$lines")
note="same output"; cmp -s "$work/ours.out" "$work/peer.out" || note="OUTPUT DIFFERS"
report "dedupe 1,000,000 lines" "$a" "awk" "$b" "$note"

a=$(median_ms "$work/ours.out" "$BIN" --shuffle "$lines")
b=$(median_ms "$work/peer.out" shuf "$lines")
note="same lines"
cmp -s <(sort "$work/ours.out") <(sort "$work/peer.out") || note="LINES DIFFER"
cmp -s "$work/ours.out" "$lines" && note="NOT SHUFFLED"
report "shuffle 1,000,000 lines" "$a" "shuf" "$b" "$note"

a=$(median_ms "$work/ours.out" "$BIN" --traditional "$text")
b=$(median_ms "$work/peer.out" opencc -c s2t.json -i "$work/text.utf8")
note="same byte length"
[ "$(stat -c %s "$work/ours.out")" = "$(stat -c %s "$text")" ] || note="LENGTH CHANGED"
differing=$(diff <(iconv -f GBK -t UTF-8 "$work/ours.out" | tr -d '\r') <(tr -d '\r' <"$work/peer.out") | grep -c '^<' || true)
report "simplified -> traditional 10 MB" "$a" "opencc" "$b" "$note; $differing of $(wc -l <"$text") lines differ from opencc's phrase-level choices"

a=$(median_ms "$work/ours.out" "$BIN" --pinyin "$text")
report "full pinyin 10 MB" "$a" "opencc" "$b" "(peer: opencc s2t of the same text)"

echo
echo "in process (Google Benchmark):"
"$BIN" --benchmark_min_time=0.5 2>/dev/null | grep -E '^(BM_|Benchmark|-)'

if [ -x "$GUI_BIN" ]; then
  echo
  echo "through the windows (start click to result shown):"
  QT_QPA_PLATFORM=offscreen "$GUI_BIN" 3
fi

#!/usr/bin/env bash
# Core text and pattern work on a generated 10 MB GBK text, against standard tools in the same
# run: extraction against grep -oP, line splitting against awk, replacing against sed. Each
# pair must give the same output; the wall time of each is the median of RUNS runs after one
# warm-up. Then the in-process Google Benchmark figures of bench_core.
#   BUILD_DIR=build-patterns RUNS=7 bash bench/core_vs_peers.sh
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
RUNS="${RUNS:-5}"
BIN="$BUILD_DIR/bench/bench_core"
[ -x "$BIN" ] || bash scripts/build.sh --target bench_core >/dev/null
export LC_ALL=C  # the peers work on GBK bytes

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
corpus="$work/corpus.txt"
"$BIN" --write-corpus "$corpus"
echo "input: $(stat -c %s "$corpus") bytes of GBK text, $(grep -c . "$corpus") lines"

. bench/timing.sh

# compare NAME OURS_CMD -- PEER_CMD
compare() {
  local name="$1"; shift
  local ours=() peer=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  shift
  peer=("$@")
  local a b
  a=$(median_ms "$work/ours.out" "${ours[@]}")
  b=$(median_ms "$work/peer.out" "${peer[@]}")
  local same="same output"
  cmp -s "$work/ours.out" "$work/peer.out" || same="OUTPUT DIFFERS"
  printf '%-28s ours %6s ms   %-8s %6s ms   ratio %s   %s\n' "$name" "$a" "${peer[0]}" "$b" \
    "$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')" "$same"
}

find_gbk=$(printf '关键词' | iconv -f UTF-8 -t GBK)
repl_gbk=$(printf '长尾关键词' | iconv -f UTF-8 -t GBK)

echo "whole processes, median of $RUNS runs (ratio = ours / peer):"
compare "extract <title>(.*?)" "$BIN" --extract '<title>(.*?)</title>' 1 "$corpus" -- \
  grep -oP '(?<=<title>).*?(?=</title>)' "$corpus"
compare "extract http://([\\w.]+)/" "$BIN" --extract 'http://([\w.]+)/' 1 "$corpus" -- \
  grep -oP 'http://\K[\w.]+(?=/)' "$corpus"
compare "count CR LF lines" "$BIN" --count-lines "$corpus" -- \
  awk 'BEGIN { RS = "\r\n" } END { print NR }' "$corpus"
compare "replace 关键词 (GBK)" "$BIN" --replace '关键词' '长尾关键词' "$corpus" -- \
  sed "s/$find_gbk/$repl_gbk/g" "$corpus"

echo
echo "in process (Google Benchmark):"
"$BIN" --benchmark_min_time=0.5 2>/dev/null | grep -E '^(BM_|Benchmark|-)'

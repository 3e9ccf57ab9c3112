#!/usr/bin/env bash
# Core text and pattern work on two generated 10 MB GBK texts (page-like lines mixing Chinese and
# ASCII; dense short HTML lines of Chinese words with a link each and one word many times a
# line), against standard tools in the same run: extraction against grep -oP, line counting
# against awk, replacing against sed. Each pair must give the same output. Ours and the peer run
# in turns (so a change in the machine's load falls on both) RUNS times after one warm-up each;
# the table gives the median wall time and the median CPU time (user + system) of each, and
# ours / peer for both (ours: core_tools). Then the in-process Google Benchmark figures of
# bench_core as bytes per second beside memcpy of the same buffer.
#   BUILD_DIR=build-patterns RUNS=7 bash bench/core_vs_peers.sh
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
RUNS="${RUNS:-5}"
BIN="$BUILD_DIR/bench/bench_core"
TOOLS="$BUILD_DIR/bench/core_tools"
[ -x "$BIN" ] && [ -x "$TOOLS" ] || BUILD_DIR="$BUILD_DIR" bash scripts/build.sh --target bench_core core_tools >/dev/null
export LC_ALL=C  # the peers work on GBK bytes

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
corpus="$work/corpus.txt"
dense="$work/dense.txt"
"$TOOLS" --write-corpus "$corpus"
"$TOOLS" --write-dense-corpus "$dense"
echo "input: $(stat -c %s "$corpus") bytes of GBK text, $(grep -c . "$corpus") lines;" \
  "dense: $(stat -c %s "$dense") bytes, $(grep -c . "$dense") lines"

# run_once OUTPUT COMMAND...: runs the command with its output going to OUTPUT; prints its wall
# and CPU milliseconds.
TIMEFORMAT='%3R %3U %3S'
run_once() {
  local out="$1"; shift
  { time "$@" >"$out" 2>/dev/null; } 2>"$work/time"
  awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' "$work/time"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

# compare NAME OURS_CMD -- PEER_CMD
compare() {
  local name="$1"; shift
  local ours=() peer=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  shift
  peer=("$@")
  run_once "$work/ours.out" "${ours[@]}" >/dev/null
  run_once "$work/peer.out" "${peer[@]}" >/dev/null
  : >"$work/ours.t"
  : >"$work/peer.t"
  for _ in $(seq "$RUNS"); do
    run_once "$work/ours.out" "${ours[@]}" >>"$work/ours.t"
    run_once "$work/peer.out" "${peer[@]}" >>"$work/peer.t"
  done
  local aw ac bw bc
  aw=$(cut -d' ' -f1 "$work/ours.t" | median)
  ac=$(cut -d' ' -f2 "$work/ours.t" | median)
  bw=$(cut -d' ' -f1 "$work/peer.t" | median)
  bc=$(cut -d' ' -f2 "$work/peer.t" | median)
  local same="same output"
  cmp -s "$work/ours.out" "$work/peer.out" || same="OUTPUT DIFFERS"
  printf '%-26s %-5s %5s %5s %5s   %5s %5s %5s   %s\n' "$name" "${peer[0]}" "$aw" "$bw" "$(ratio "$aw" "$bw")" \
    "$ac" "$bc" "$(ratio "$ac" "$bc")" "$same"
}

find_gbk=$(printf '关键词' | iconv -f UTF-8 -t GBK)
repl_gbk=$(printf '长尾关键词' | iconv -f UTF-8 -t GBK)
dense_find_gbk=$(printf '优化' | iconv -f UTF-8 -t GBK)
dense_repl_gbk=$(printf '搜索优化' | iconv -f UTF-8 -t GBK)

echo "whole processes, median of $RUNS runs each, in turns (ms; ratio = ours / peer):"
printf '%-26s %-5s %5s %5s %5s   %5s %5s %5s\n' "" "peer" "wall" "peer" "ratio" "cpu" "peer" "ratio"
compare "extract <title>(.*?)" "$TOOLS" --extract '<title>(.*?)</title>' 1 "$corpus" -- \
  grep -oP '(?<=<title>).*?(?=</title>)' "$corpus"
compare "extract http://([\\w.]+)/" "$TOOLS" --extract 'http://([\w.]+)/' 1 "$corpus" -- \
  grep -oP 'http://\K[\w.]+(?=/)' "$corpus"
compare "count CR LF lines" "$TOOLS" --count-lines "$corpus" -- \
  awk 'BEGIN { RS = "\r\n" } END { print NR }' "$corpus"
compare "replace 关键词 (GBK)" "$TOOLS" --replace '关键词' '长尾关键词' "$corpus" -- \
  sed "s/$find_gbk/$repl_gbk/g" "$corpus"
compare "dense: extract href" "$TOOLS" --extract 'href="(.*?)"' 1 "$dense" -- \
  grep -oP 'href="\K[^"]*' "$dense"
compare "dense: replace 优化 (GBK)" "$TOOLS" --replace '优化' '搜索优化' "$dense" -- \
  sed "s/$dense_find_gbk/$dense_repl_gbk/g" "$dense"

echo
echo "in process (Google Benchmark, CPU time), bytes of the 10 MB text per second:"
"$BIN" --benchmark_min_time=0.5 --benchmark_format=json 2>/dev/null | awk '
  /"name":/ { gsub(/[",]/, "", $2); current = $2 }
  /"bytes_per_second":/ {
    gsub(/,/, "", $2)
    name[++n] = current
    rate[n] = $2 + 0
    if (current == "BM_Memcpy") limit = rate[n]
  }
  END {
    for (i = 1; i <= n; ++i)
      printf "%-24s %8.0f MB/s  %5.1f%% of memcpy\n", name[i], rate[i] / 1e6, (limit > 0 ? 100 * rate[i] / limit : 0)
  }'

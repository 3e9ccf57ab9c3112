#!/usr/bin/env bash
# The keyword miner against awk in the same run: 200,000 candidate keywords (half of them repeats
# of the other half in another letter case) through the miner page (fake word library answer ->
# admission -> rows shown, see bench/gui_bench_miner.cpp) beside awk '!seen[tolower($0)]++' on
# the same lines (whole process, median of RUNS runs after a warm-up). Both keep the first of
# each keyword, so their lists must be the same. Then the full six-source run figures.
#   BUILD_DIR=build RUNS=5 bash bench/miner_vs_peers.sh
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
RUNS="${RUNS:-5}"
BIN="$BUILD_DIR/bench/gui_bench_miner"
[ -x "$BIN" ] || bash scripts/build.sh --target gui_bench_miner >/dev/null
export LC_ALL=C  # awk folds ASCII letters only, as the miner does

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$BIN" --write-lines "$work/lines.txt"
echo "input: $(wc -l <"$work/lines.txt") candidate lines ($(stat -c %s "$work/lines.txt") bytes, GBK CR LF)"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

. bench/timing.sh
peer=$(median_ms "$work/awk.out" awk '!seen[tolower($0)]++' "$work/lines.txt")

ours=$(QT_QPA_PLATFORM=offscreen "$BIN" "$RUNS" --rows-out "$work/rows.txt" 2>/dev/null | tee /dev/stderr |
  sed -n 's/^admission median.* in \([0-9.]*\) ms.*/\1/p')
note="same list"
cmp -s "$work/rows.txt" "$work/awk.out" || note="LISTS DIFFER"
printf 'admission of 200,000 candidates: page %s ms, awk %s ms, ratio %s (%s)\n' "$ours" "$peer" \
  "$(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')" "$note"

#!/usr/bin/env bash
# The generators as whole processes against awk programs that write the same lines, in the same
# run: the 258IP run of 1,000,000 addresses, and the IP number forms (N = 6) of 2,000 addresses
# (2,184,000 lines). Each pair must give the same output; the wall time of each is the median of
# RUNS runs after one warm-up. Then the in-process Google Benchmark figures of bench_domains.
#   BUILD_DIR=build-gen RUNS=5 bash bench/domains_vs_peers.sh
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
RUNS="${RUNS:-5}"
BIN="$BUILD_DIR/bench/bench_domains"
[ -x "$BIN" ] || bash scripts/build.sh --target bench_domains >/dev/null
export LC_ALL=C

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
addresses="$work/addresses.txt"
"$BIN" --write-addresses "$addresses" 2000

. bench/timing.sh

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
  printf '%-30s ours %6s ms   %-5s %6s ms   ratio %s   %s (%s lines)\n' "$name" "$a" "${peer[0]}" "$b" \
    "$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')" "$same" "$(wc -l <"$work/ours.out")"
}

# The IP number forms in awk: octal without digits for 0, upper-case hexadecimal lowered.
read -r -d '' forms_awk <<'AWK' || true
function oct(v, k) { return substr(zeros, 1, k) (v == 0 ? "" : sprintf("%o", v)) }
function hex(v, k) { return "0x" substr(zeros, 1, k) tolower(sprintf("%X", v)) }
function put(host) { printf "http://%s/\r\n", host }
BEGIN { RS = "\r\n"; zeros = ""; for (i = 0; i < n; i++) zeros = zeros "0" }
{
  if (split($0, a, ".") != 4) next
  for (i = 1; i <= 4; i++) if (a[i] !~ /^[0-9]+$/) next
  p = a[1] + 0; q = a[2] + 0; r2 = q * 65536 + a[3] * 256 + a[4]; r3 = a[3] * 256 + a[4]
  for (j = 1; j <= n; j++) {
    put(oct(p, j) "." r2); put(hex(p, j) "." r2)
    for (k = 1; k <= n; k++) { put(hex(p, j) "." hex(r2, k)); put(oct(p, j) "." hex(r2, k)) }
  }
  for (j = 1; j <= n; j++) for (k = 1; k <= n; k++) {
    put(oct(p, j) "." oct(q, k) "." r3); put(hex(p, j) "." hex(q, k) "." r3)
    put(oct(p, j) "." hex(q, k) "." r3); put(hex(p, j) "." oct(q, k) "." r3)
    for (m = 1; m <= n; m++) {
      put(hex(p, j) "." hex(q, k) "." hex(r3, m)); put(oct(p, j) "." hex(q, k) "." hex(r3, m))
      put(hex(p, j) "." oct(q, k) "." hex(r3, m)); put(oct(p, j) "." oct(q, k) "." hex(r3, m))
    }
  }
}
AWK

echo "whole processes, median of $RUNS runs (ratio = ours / peer):"
compare "258IP run 1..1000000" "$BIN" --ip-run 127.0.0. 1 1000000 -- \
  awk 'BEGIN { printf "127.0.0.1\r\n"; for (i = 2; i <= 1000000; i++) printf "127.0.0.%d\r\n", i }'
compare "IP forms N=6, 2000 addresses" "$BIN" --ip-forms "$addresses" 6 -- \
  awk -v n=6 "$forms_awk" "$addresses"

echo
echo "in process (Google Benchmark):"
"$BIN" --benchmark_min_time=0.5 2>/dev/null | grep -E '^(BM_|Benchmark|-)'

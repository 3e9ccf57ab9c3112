#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) into build-fuzz/ and runs each over
# a working corpus seeded from fuzz/corpus/<target> and fuzz/regressions/<target>.
#   scripts/fuzz.sh [runs] [target...]    each target for `runs` executions (default 10000000)
#   scripts/fuzz.sh --smoke [target...]   each target for a few seconds (FUZZ_SECONDS, default 5)
# fuzz/<target>.dict, when present, is the target's dictionary. A finding (crash, failed property, leak, time-out) stops that target, is kept under
# build-fuzz/findings/<target>/ and makes the script fail; the log is build-fuzz/logs/<target>.log.
# Keep a fixed finding as a regression: copy the input to fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
runs=10000000
seconds=""
if [ "${1:-}" = "--smoke" ]; then
  seconds="${FUZZ_SECONDS:-5}"
  shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  runs="$1"
  shift
fi

build="${FUZZ_BUILD_DIR:-build-fuzz}"
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}" CCACHE_BASEDIR="$root"
if [ ! -f "$build/build.ninja" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSALY_FUZZ=ON -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=OFF -DTESSALY_WERROR=OFF >/dev/null
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/*.cpp; do
    name="$(basename "$src" .cpp)"
    [ "$name" = replay_main ] || targets+=("$name")
  done
fi
cmake --build "$build" -j "$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}")

# Longer inputs add time (the references are quadratic) without reaching new code.
max_len() {
  case "$1" in
    pattern) echo 256 ;;
    *) echo 1024 ;;
  esac
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
failed=()
for t in "${targets[@]}"; do
  work="$build/corpus/$t" findings="$build/findings/$t" log="$build/logs/$t.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  seeds=("fuzz/corpus/$t")
  [ -d "fuzz/regressions/$t" ] && seeds+=("fuzz/regressions/$t")
  extra=()
  [ -f "fuzz/$t.dict" ] && extra+=(-dict="fuzz/$t.dict")
  limit=(-runs="$runs")
  [ -n "$seconds" ] && limit=(-max_total_time="$seconds")
  start=$(date +%s)
  if "$build/fuzz/fuzz_$t" "${limit[@]}" -max_len="$(max_len "$t")" -timeout=20 -rss_limit_mb=2048 \
       -print_final_stats=1 "${extra[@]}" -artifact_prefix="$findings/" "$work" "${seeds[@]}" >"$log" 2>&1; then
    status=ok
  else
    status=FINDING
    failed+=("$t")
  fi
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  printf '%-12s %-8s %12s executions %6ss\n' "$t" "$status" "$execs" "$(($(date +%s) - start))"
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]} (inputs under $build/findings/, logs under $build/logs/)" >&2
  exit 1
fi

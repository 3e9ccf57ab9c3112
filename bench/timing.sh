# Sourced by the peer-comparison scripts.
# median_ms OUTPUT_FILE COMMAND...: runs the command RUNS times (after a warm-up) with its output
# going to OUTPUT_FILE and prints the median wall time in milliseconds.
median_ms() {
  local out="$1"; shift
  local times=()
  "$@" >"$out"
  for _ in $(seq "$RUNS"); do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >"$out"
    t1=$(date +%s%N)
    times+=($(( (t1 - t0) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}

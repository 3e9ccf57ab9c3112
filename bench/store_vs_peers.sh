#!/usr/bin/env bash
# The results store beside the databases' own bulk loaders, in the same run. Recording: 100,000
# results of a run (inclusion counts, and access-test titles in Chinese) through the store's
# Recorder (GBK converted to UTF-8, batches of one transaction each), beside the sqlite3 shell's
# .import of the same rows as CSV (SQLite) and psql's \copy of that CSV (PostgreSQL); each into a
# fresh store whose schema is made first, untimed. Ours and the peer run in turns, RUNS times;
# the table gives the median wall time, the spread (min-max) and ours / peer. Then the
# monitoring's two reads on 1,000 domains x 365 daily inclusion runs, beside textbook SQL.
# PostgreSQL runs in a throw-away cluster with the server's default durability (fsync on),
# started here, unless TESSALY_TEST_PG_URL names one.
#   RUNS=5 bash bench/store_vs_peers.sh
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
RUNS="${RUNS:-5}"
ROWS="${ROWS:-100000}"
TOOLS="$BUILD_DIR/bench/store_tools"
[ -x "$TOOLS" ] || BUILD_DIR="$BUILD_DIR" bash scripts/build.sh --target store_tools >/dev/null
TOOLS="$(realpath "$TOOLS")"

work="$(mktemp -d)"
pg_dir=""
cleanup() {
  [ -z "$pg_dir" ] || bash scripts/pg-test-cluster.sh stop "$pg_dir"
  rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${TESSALY_TEST_PG_URL:-}" ]; then
  eval "$(PG_TEST_DURABLE=1 bash scripts/pg-test-cluster.sh start)"
  pg_dir="$TESSALY_TEST_PG_DIR"
fi
pg="$TESSALY_TEST_PG_URL"
# The store's address in a schema of its own.
pg_schema() { echo "$pg&options=-c%20search_path%3D$1"; }
fresh_schema() { psql -q "$pg" -c "SET client_min_messages = warning; DROP SCHEMA IF EXISTS $1 CASCADE; CREATE SCHEMA $1"; }

wall_ms() {
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null
  t1=$(date +%s%N)
  echo $(( (t1 - t0) / 1000000 ))
}
stats() { sort -n | awk '{ a[NR] = $1 } END { printf "%d %d %d\n", a[int((NR + 1) / 2)], a[1], a[NR] }'; }

# compare NAME PEER_NAME PREPARE_OURS PREPARE_PEER -- OURS... -- PEER...: runs the two in turns,
# each after its (untimed) preparation.
compare() {
  local name="$1" peer_name="$2" prep_ours="$3" prep_peer="$4"; shift 5
  local ours=() peer=()
  while [ "$1" != "--" ]; do ours+=("$1"); shift; done
  shift
  peer=("$@")
  : >"$work/ours.t"
  : >"$work/peer.t"
  for _ in $(seq "$RUNS"); do
    $prep_ours
    wall_ms "${ours[@]}" >>"$work/ours.t"
    $prep_peer
    wall_ms "${peer[@]}" >>"$work/peer.t"
  done
  local a b
  read -r a amin amax < <(stats <"$work/ours.t")
  read -r b bmin bmax < <(stats <"$work/peer.t")
  printf '%-34s ours %5d ms (%d-%d)   %-8s %5d ms (%d-%d)   ratio %s\n' "$name" "$a" "$amin" "$amax" \
    "$peer_name" "$b" "$bmin" "$bmax" "$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')"
}

columns="run_id, tool, item, at, outcome, detail, total, day, week, links, reachable, title, registrar, created,
  updated, expires, ip, censored, rank_rows, keywords"
run_row="INSERT INTO runs (id, tool, machine, started) VALUES (1, 'inclusion', 'peer', 1)"
prep_sqlite_ours() { rm -f "$work"/ours.db*; "$TOOLS" --init "$work/ours.db"; }
prep_sqlite_peer() { rm -f "$work"/peer.db*; "$TOOLS" --init "$work/peer.db"; sqlite3 "$work/peer.db" "$run_row"; }
prep_pg_ours() { fresh_schema bench_ours; "$TOOLS" --init "$(pg_schema bench_ours)"; }
prep_pg_peer() { fresh_schema bench_peer; "$TOOLS" --init "$(pg_schema bench_peer)"; psql -q "$(pg_schema bench_peer)" -c "$run_row"; }

echo "recording $ROWS results, median of $RUNS runs each, in turns (wall ms, min-max; ratio of medians):"
for tool in inclusion access; do
  "$TOOLS" --write-csv "$work/$tool.csv" "$tool" "$ROWS" with-ids
  "$TOOLS" --write-csv "$work/$tool-no-ids.csv" "$tool" "$ROWS" no-ids
  compare "SQLite, $tool" ".import" prep_sqlite_ours prep_sqlite_peer -- \
    "$TOOLS" --record "$work/ours.db" "$tool" "$ROWS" -- \
    sqlite3 "$work/peer.db" ".import --csv $work/$tool.csv results"
  compare "PostgreSQL, $tool" "\\copy" prep_pg_ours prep_pg_peer -- \
    "$TOOLS" --record "$(pg_schema bench_ours)" "$tool" "$ROWS" -- \
    env PGOPTIONS="-c search_path=bench_peer" psql -q "$pg" -c "\\copy results ($columns) FROM '$work/$tool-no-ids.csv' CSV"
done

echo
echo "the monitoring's reads on 1,000 domains x 365 daily inclusion runs (in process, 21 rounds in turns;"
echo "domain_history() reads the inclusion and the access history, the peer only the first):"
echo "SQLite:"
"$TOOLS" --seed "$work/seeded.db" 1000 365
"$TOOLS" --query "$work/seeded.db" 21
echo "PostgreSQL:"
fresh_schema bench_seeded
"$TOOLS" --seed "$(pg_schema bench_seeded)" 1000 365
psql -q "$(pg_schema bench_seeded)" -c "ANALYZE"
"$TOOLS" --query "$(pg_schema bench_seeded)" 21

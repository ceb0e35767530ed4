#!/usr/bin/env bash
# Rows per second of one Append (or Update) session into the DB2 test server, with
# parameter arrays and row by row (FERROVAN_ROW_BY_ROW=1); the median of 3 runs each.
#
#   bench/array-inserts.sh [ROWS] [LOADTYPE]     defaults: 100000 Append
#
# Uses build/ferrovan (scripts/setup.sh builds it; FERROVAN_BIN overrides) and a
# DB2 test server of its own, stopped at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-100000}
load=${2:-Append}
case "$load" in
  Append) loadindex=0 ;;
  Replace) loadindex=1 ;;
  Update) loadindex=2 ;;
  *) echo "load type: Append, Replace or Update" >&2; exit 2 ;;
esac
bin=${FERROVAN_BIN:-$root/build/ferrovan}
[ -x "$bin" ] || { echo "no $bin: run scripts/setup.sh first" >&2; exit 2; }

work=$(mktemp -d)
db2dir=/tmp/ferrovan-db2-bench-arrays
port=${BENCH_DB2_PORT:-54917}
server() { bash "$root/tests/db2/server.sh" "$@"; }
trap 'server stop "$db2dir" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
server start "$db2dir" "$port" >/dev/null
eval "$(server env "$db2dir" "$port")"

sqlite3 "$work/src.db" "create table src (id integer, name text, amount numeric(12,2), born date, note text);
  with recursive s(i) as (select 1 union all select i + 1 from s where i < $rows)
  insert into src select i, 'name ' || i, i / 100.0, '2020-01-01', case when i % 7 = 0 then null else 'note' end from s;"

logon=(sqlite_database="$work/src.db" db2_username="$FERROVAN_TEST_DB2_USER" db2_password="$FERROVAN_TEST_DB2_PASSWORD"
       db2_server="$FERROVAN_TEST_DB2_DATABASE" db2_protocol=TCPIP db2_hostname="$FERROVAN_TEST_DB2_HOST"
       db2_port="$FERROVAN_TEST_DB2_PORT")

# The table afresh before each run; for Update it holds every key already.
reset_table() {
  {
    echo 'drop table if exists "BENCH_T";'
    # Updates find their row by the key, as a real update target would let them.
    key=; [ "$load" = Update ] && key=' primary key'
    echo "create table \"BENCH_T\" (\"ID\" integer$key, \"NAME\" varchar(40), \"AMOUNT\" decimal(12,2), \"BORN\" date, \"NOTE\" varchar(10));"
    if [ "$load" = Update ]; then
      # generate_series: the test server's own function, quickest for the keys.
      echo "insert into \"BENCH_T\" (\"ID\") select generate_series(1, $rows);"
    fi
  } >"$work/reset.sql"
  "$bin" "${logon[@]}" dest_sql="$work/reset.sql" logfile="$work/reset.log" >/dev/null
}

printf '[Load]\r\nLoadRowsType=All\r\nLoadRows=0\r\nSkipRows=0\r\nColumns=\r\nSourceSchema=\r\nShowViews=0\r\nSourceTable=src\r\nDestSchema=%s\r\nDestTable=BENCH_T\r\nLoadType=%s\r\nUpdateKey=ID\r\nFields=ID;INTEGER;;|NAME;VARCHAR;;|AMOUNT;DECIMAL;;|BORN;DATE;;|NOTE;VARCHAR;;\r\nErrorsToAllow=0\r\nLogFile=\r\n' \
  "$(echo "$FERROVAN_TEST_DB2_USER" | tr a-z A-Z)" "$loadindex" >"$work/bench.uld"

run_once() {  # prints rows/s of one run
  reset_table
  local start end
  start=$(date +%s.%N)
  env "$@" "$bin" "${logon[@]}" session="$work/bench.uld" logfile="$work/run.log" >/dev/null
  end=$(date +%s.%N)
  grep -q "Total Convert Records: $rows" "$work/run.log" || { echo "run did not convert $rows rows:" >&2; cat "$work/run.log" >&2; exit 1; }
  awk -v n="$rows" -v a="$start" -v b="$end" 'BEGIN { printf "%.0f\n", n / (b - a) }'
}

median3() { printf '%s\n' "$@" | sort -n | sed -n 2p; }

arrays=(); single=()
for _ in 1 2 3; do
  arrays+=("$(run_once FERROVAN_ROW_BY_ROW=)")
  single+=("$(run_once FERROVAN_ROW_BY_ROW=1)")
done
echo "$rows rows, $load, whole process (start, logons, probe, rows, commit):"
echo "  row by row: $(median3 "${single[@]}") rows/s (runs: ${single[*]})"
echo "  arrays:     $(median3 "${arrays[@]}") rows/s (runs: ${arrays[*]})"

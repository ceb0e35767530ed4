#!/usr/bin/env bash
# Copies every table of the Chinook sample (a SQLite file) into new tables of the local
# DB2 test server with an all-tables session, as a scheduled job would run it, then
# shows the log and what the server holds.
#
#   scripts/demo.sh            set up, start (or reuse) the server, run, report
#   scripts/demo.sh stop       stop the demo's server
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
server_dir=/tmp/ferrovan-demo-db2
port=${FERROVAN_DEMO_PORT:-50123}
work="$root/build/demo"

if [[ "${1:-}" == stop ]]; then
  exec "$root/tests/db2/server.sh" stop "$server_dir"
fi

"$root/scripts/setup.sh"
"$root/tests/db2/server.sh" start "$server_dir" "$port"
# The driver registration and the server's coordinates.
# shellcheck disable=SC1091
. "$server_dir/env.sh"

mkdir -p "$work"
cp "$root/tests/fixtures/chinook/Chinook_Sqlite.sqlite" "$work/chinook.sqlite"
tables=$(sqlite3 "$work/chinook.sqlite" \
  "select name from sqlite_master where type = 'table' and name not like 'sqlite_%' order by name")

# The demo creates the tables, so a second run first drops those of the first.
: >"$work/drop.sql"
maps=""
for t in $tables; do
  echo "drop table if exists \"$t\";" >>"$work/drop.sql"
  maps+="${maps:+|}-1;$t;To Be Created"
done

session="$work/chinook.ula"
printf '%s\r\n' "[Load]" "LoadRowsType=All" "LoadRows=0" "SkipRows=0" "Columns=" "SourceSchema=" "ShowViews=0" \
  "DestSchema=${FERROVAN_TEST_DB2_USER^^}" "LoadType=Append" "TableMaps=$maps" "FieldsMaps=" "ErrorsToAllow=0" \
  "LogFile=" >"$session"

logon=(sqlite_database="$work/chinook.sqlite" db2_username="$FERROVAN_TEST_DB2_USER"
       db2_password="$FERROVAN_TEST_DB2_PASSWORD" db2_server="$FERROVAN_TEST_DB2_DATABASE"
       db2_protocol=TCPIP db2_hostname="$FERROVAN_TEST_DB2_HOST" db2_port="$FERROVAN_TEST_DB2_PORT")

rm -f "$work/drop.log" "$work/chinook.log"
"$root/build/ferrovan" "${logon[@]}" dest_sql="$work/drop.sql" logfile="$work/drop.log" ||
  { cat "$work/drop.log"; exit 1; }

set +e
"$root/build/ferrovan" "${logon[@]}" session="$session" logfile="$work/chinook.log"
code=$?
set -e

echo
echo "==== $work/chinook.log"
cat "$work/chinook.log"
echo
echo "==== rows per table: SQLite source / DB2 test server"
total_source=0
total_dest=0
for t in $tables; do
  source_rows=$(sqlite3 "$work/chinook.sqlite" "select count(*) from \"$t\"")
  dest_rows=$(PGPASSWORD="$FERROVAN_TEST_DB2_PASSWORD" psql -X -At -h "$FERROVAN_TEST_DB2_HOST" \
    -p "$FERROVAN_TEST_DB2_PORT" -U "$FERROVAN_TEST_DB2_USER" -d "$FERROVAN_TEST_DB2_DATABASE" \
    -c "select count(*) from \"$t\"" 2>/dev/null || echo missing)
  printf '%-14s %8s %8s\n' "$t" "$source_rows" "$dest_rows"
  total_source=$((total_source + source_rows))
  [[ "$dest_rows" =~ ^[0-9]+$ ]] && total_dest=$((total_dest + dest_rows))
done
printf '%-14s %8s %8s\n' "total" "$total_source" "$total_dest"

# Values, not only counts: the same query on both sides, its output compared.
db2_query() {
  PGPASSWORD="$FERROVAN_TEST_DB2_PASSWORD" psql -X -At -h "$FERROVAN_TEST_DB2_HOST" -p "$FERROVAN_TEST_DB2_PORT" \
    -U "$FERROVAN_TEST_DB2_USER" -d "$FERROVAN_TEST_DB2_DATABASE" -c "$1" 2>&1
}
compare() {
  local what="$1" source_value="$2" dest_value="$3"
  if [[ "$source_value" == "$dest_value" ]]; then
    printf '%-34s equal: %s\n' "$what" "$(head -c 60 <<<"$source_value" | head -n 1)"
  else
    printf '%-34s DIFFER\n  source: %s\n  DB2:    %s\n' "$what" "$source_value" "$dest_value"
    code=3
  fi
}
echo
echo "==== values on both sides"
# NUMERIC columns become DOUBLE (SQLite holds them as floating point too), so the sums
# are compared to the cent and every single total as written.
compare "sum of Invoice.Total" \
  "$(sqlite3 "$work/chinook.sqlite" 'select printf("%.2f", sum(Total)) from Invoice')" \
  "$(db2_query 'select round(sum("Total")::numeric, 2) from "Invoice"')"
compare "Invoice totals (md5 of all)" \
  "$(sqlite3 "$work/chinook.sqlite" 'select Total from Invoice order by InvoiceId' | md5sum)" \
  "$(db2_query 'select "Total" from "Invoice" order by "InvoiceId"' | md5sum)"
compare "Invoice dates (md5 of all)" \
  "$(sqlite3 "$work/chinook.sqlite" 'select InvoiceDate from Invoice order by InvoiceId' | md5sum)" \
  "$(db2_query 'select to_char("InvoiceDate", '"'"'YYYY-MM-DD HH24:MI:SS'"'"') from "Invoice" order by "InvoiceId"' | md5sum)"
compare "Artist names (md5 of all)" \
  "$(sqlite3 "$work/chinook.sqlite" 'select Name from Artist order by ArtistId' | md5sum)" \
  "$(db2_query 'select "Name" from "Artist" order by "ArtistId"' | md5sum)"
compare "a non-ASCII artist" \
  "$(sqlite3 "$work/chinook.sqlite" "select Name from Artist where ArtistId = 18")" \
  "$(db2_query 'select "Name" from "Artist" where "ArtistId" = 18')"
echo
echo "ferrovan exit code: $code"
echo "The DB2 test server keeps running on 127.0.0.1:$port; stop it with: scripts/demo.sh stop"
exit "$code"

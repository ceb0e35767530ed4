#!/usr/bin/env bash
# The DB2 test server: a throw-away PostgreSQL cluster dressed as DB2 (see README.md).
#
#   server.sh start  DIR PORT   start (or reuse) the server in DIR, with a fresh database
#   server.sh stop   DIR        stop it; fine when it is not running
#   server.sh kill   DIR        stop it hard, as a crash would: every process of it killed at once
#   server.sh resume DIR PORT   start a stopped or killed server again on the data it had
#   server.sh status DIR        exit 0 and say so when it runs, 3 when not
#   server.sh env    DIR PORT   print the environment as shell exports, for eval
#   server.sh vars   DIR PORT   the same as plain NAME=value lines, for build scripts
#
# FERROVAN_DB2_DURABLE=1 in the environment of start and resume: a commit is written out
# before it is acknowledged, so a killed server keeps every commit a client saw succeed.
set -euo pipefail

readonly HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
readonly DB2_DATABASE=SAMPLE
readonly DB2_USER=db2inst1
readonly DB2_PASSWORD='Passw0rd!'
readonly DB2_SCHEMA=DB2INST1
readonly DB2_HOST=127.0.0.1
readonly DRIVER_NAME='IBM DB2 ODBC DRIVER'
# Bump when the cluster's layout changes, so an old DIR is rebuilt instead of reused.
readonly LAYOUT=1

die() {
  echo "server.sh: $*" >&2
  exit 1
}

usage() {
  sed -n '2,15s/^# \{0,1\}//p' "${BASH_SOURCE[0]}" >&2
  exit 2
}

# The caller's libpq settings (env.sh sets some) must not steer our own admin connections.
while read -r var; do unset "$var"; done < <(compgen -e | grep '^PG' || true)
export LC_ALL=C

pg_bindir() {
  local dir
  for dir in "${FERROVAN_PG_BINDIR:-}" /usr/lib/postgresql/15/bin \
             $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    if [[ -n "$dir" && -x "$dir/initdb" && -x "$dir/pg_ctl" ]]; then
      echo "$dir"
      return
    fi
  done
  die "no PostgreSQL server binaries found (set FERROVAN_PG_BINDIR, or install postgresql-15)"
}

odbc_driver() {
  local lib
  lib="$(dpkg -L odbc-postgresql 2>/dev/null | grep '/psqlodbcw\.so$' | head -n 1 || true)"
  if [[ -z "$lib" ]]; then
    for lib in /usr/lib/*/odbc/psqlodbcw.so /usr/lib64/psqlodbcw.so /usr/lib/psqlodbcw.so \
               /usr/local/lib/psqlodbcw.so ""; do
      [[ -f "$lib" ]] && break
    done
  fi
  [[ -n "$lib" && -f "$lib" ]] || die "the PostgreSQL ODBC driver psqlodbcw.so is missing (package odbc-postgresql)"
  echo "$lib"
}

# PostgreSQL refuses to run as root; root hands the cluster to the postgres account.
# The lock descriptor stays behind: a postmaster inheriting it would hold DIR's lock
# for as long as it runs.
as_pg() {
  if ((EUID == 0)); then
    runuser -u postgres -- "$@" 9>&-
  else
    "$@" 9>&-
  fi
}

# Files root writes for the cluster must belong to the account that runs it.
give_to_pg() {
  if ((EUID == 0)); then
    chown postgres: "$@"
  fi
}

check_port() {
  [[ "$1" =~ ^[0-9]+$ ]] && (("$1" >= 1024 && "$1" <= 65535)) || die "PORT must be a number from 1024 to 65535, not '$1'"
}

setup_paths() {
  DIR="$(realpath -m -- "$1")"
  [[ "$DIR" != *[\;\'$'\n']* ]] || die "DIR must not contain ';', quotes or newlines: $DIR"
  DATA="$DIR/data"
  LOG="$DIR/server.log"
  SOCK="$DIR/run"
  # A Unix socket path is limited to 107 bytes; a deep DIR gets its socket under /tmp.
  if ((${#SOCK} + 20 > 107)); then
    SOCK="/tmp/ferrovan-db2-$(printf '%s' "$DIR" | md5sum | cut -c1-12)"
  fi
  PGBIN="$(pg_bindir)"
  # Tools run as postgres must not start in a folder that account cannot enter.
  cd /
}

print_vars() {
  local port="$1"
  printf '%s\n' \
    "ODBCSYSINI=$DIR" \
    "ODBCINSTINI=odbcinst.ini" \
    "ODBCINI=$DIR/odbc.ini" \
    "PGHOST=$DB2_HOST" \
    "PGPORT=$port" \
    "PGDATABASE=$DB2_DATABASE" \
    "FERROVAN_TEST_DB2_DATABASE=$DB2_DATABASE" \
    "FERROVAN_TEST_DB2_USER=$DB2_USER" \
    "FERROVAN_TEST_DB2_PASSWORD=$DB2_PASSWORD" \
    "FERROVAN_TEST_DB2_HOST=$DB2_HOST" \
    "FERROVAN_TEST_DB2_PORT=$port" \
    "FERROVAN_TEST_DB2_DIR=$DIR"
}

print_env() {
  local line
  while IFS= read -r line; do
    printf 'export %s=%q\n' "${line%%=*}" "${line#*=}"
  done < <(print_vars "$1")
}

# The postmaster of DIR's cluster, if one runs: its pid file may be left over from a killed
# run, and the pid in it may since belong to another process.
cluster_pid() {
  local pid
  [[ -f "$DATA/postmaster.pid" ]] || return 1
  pid="$(head -n 1 "$DATA/postmaster.pid" 2>/dev/null || true)"
  [[ "$pid" =~ ^[0-9]+$ ]] || return 1
  [[ "$(readlink "/proc/$pid/cwd" 2>/dev/null || true)" == "$DATA" ]] || return 1
  echo "$pid"
}

# Processes still working in the data directory, such as backends outliving a killed
# postmaster; a new postmaster cannot start while they hold the old shared memory.
leftovers() {
  local pattern
  pattern="$(printf '%s' "$DATA" | sed 's/[][*?\\]/\\&/g')"
  find /proc -mindepth 2 -maxdepth 2 -name cwd -lname "$pattern" 2>/dev/null |
    cut -d/ -f3 || true
}

log_tail() {
  if [[ -f "$LOG" ]]; then
    echo "---- last lines of $LOG ----" >&2
    tail -n 25 "$LOG" >&2
  fi
}

fail() {
  echo "server.sh: $*" >&2
  log_tail
  exit 1
}

lock_dir() {
  exec 9>"$DIR/.lock"
  flock -w 120 9 || die "another server.sh holds $DIR/.lock"
}

pg_stop() {
  if ! as_pg "$PGBIN/pg_ctl" -D "$DATA" -m fast -w -t 30 stop >/dev/null; then
    as_pg "$PGBIN/pg_ctl" -D "$DATA" -m immediate -w -t 30 stop >/dev/null || fail "cannot stop the server in $DATA"
  fi
}

admin_psql() {
  local db="$1"
  shift
  as_pg "$PGBIN/psql" -X -q -v ON_ERROR_STOP=1 -h "$SOCK" -p "$PORT" -U postgres -d "$db" "$@"
}

init_cluster() {
  local pwfile
  rm -rf "$DATA" "$DIR/initialized"
  mkdir -p "$DATA"
  chmod 700 "$DATA"
  give_to_pg "$DATA"
  as_pg test -w "$DATA" ||
    die "the postgres account cannot reach $DATA: every folder above DIR must be searchable by it (chmod o+x), or pick a DIR under /tmp"
  # The superuser gets no password: it only ever comes in over the private socket.
  if ! as_pg "$PGBIN/initdb" -D "$DATA" -U postgres --auth-local=trust --auth-host=scram-sha-256 \
       -E UTF8 --locale=C -N >"$DIR/initdb.log" 2>&1; then
    cat "$DIR/initdb.log" >&2
    die "initdb failed in $DATA"
  fi
  echo "include 'db2server.conf'" >>"$DATA/postgresql.conf"
  echo "$LAYOUT $(cat "$DATA/PG_VERSION")" >"$DIR/initialized"
}

write_config() {
  local synchronous_commit=off
  [[ "${FERROVAN_DB2_DURABLE:-}" == 1 ]] && synchronous_commit=on
  cat >"$DATA/db2server.conf" <<EOF
# Written by server.sh on every start.
listen_addresses = '$DB2_HOST'
port = $PORT
unix_socket_directories = '$SOCK'
unix_socket_permissions = 0700
password_encryption = 'scram-sha-256'
# Nothing here outlives a test run, so durability is traded for speed: a killed
# server may lose its last commits unless synchronous_commit is on (without fsync
# the operating system still keeps what was written).
fsync = off
synchronous_commit = $synchronous_commit
full_page_writes = off
wal_level = minimal
max_wal_senders = 0
max_connections = 200
shared_buffers = 64MB
jit = off
lc_messages = 'C'
datestyle = 'ISO, YMD'
# DB2 timestamps carry no zone; UTC has no daylight-saving gaps for TIMESTAMP_FORMAT.
timezone = 'UTC'
log_line_prefix = '%m [%p] %q%u@%d '
EOF
  # Only the superuser may use the socket; everyone else must show the password over TCP,
  # so a wrong password really fails, as it does against DB2.
  cat >"$DATA/pg_hba.conf" <<EOF
# Written by server.sh on every start.
local all postgres              trust
host  all all      127.0.0.1/32 scram-sha-256
EOF
  give_to_pg "$DATA/db2server.conf" "$DATA/pg_hba.conf"
}

port_taken() {
  (exec 3<>"/dev/tcp/$DB2_HOST/$1") 2>/dev/null
}

provision() {
  admin_psql postgres -v pw="$DB2_PASSWORD" -f - <<EOF || fail "creating the role and database failed"
set client_min_messages = warning;
select 'create role $DB2_USER' where not exists (select from pg_roles where rolname = '$DB2_USER') \gexec
alter role $DB2_USER with login nosuperuser nocreatedb nocreaterole password :'pw';
alter role $DB2_USER set search_path = "$DB2_SCHEMA";
drop database if exists "$DB2_DATABASE" with (force);
create database "$DB2_DATABASE" owner $DB2_USER template template0 encoding 'UTF8' locale 'C';
EOF
  { cat <<EOF
-- DB2 has no public schema; the user's own schema, named after it, comes first.
drop schema public;
create schema "$DB2_SCHEMA" authorization $DB2_USER;
EOF
    cat "$HERE/compat.sql"
  } | admin_psql "$DB2_DATABASE" --single-transaction -f - || fail "loading compat.sql failed"

  # The way the tests come in: over TCP, with the password.
  local schema
  schema="$(PGPASSWORD="$DB2_PASSWORD" "$PGBIN/psql" -X -At -h "$DB2_HOST" -p "$PORT" -U "$DB2_USER" \
              -d "$DB2_DATABASE" -c 'select "current" from sysibm.sysdummy1')" ||
    fail "$DB2_USER cannot log in over $DB2_HOST:$PORT"
  [[ "$schema" == "$DB2_SCHEMA" ]] || fail "$DB2_USER's current schema is '$schema', not $DB2_SCHEMA"
}

write_client_files() {
  local driver
  driver="$(odbc_driver)"
  cat >"$DIR/odbcinst.ini" <<EOF
[$DRIVER_NAME]
Description = PostgreSQL ODBC driver standing in for DB2 in the tests
Driver = $driver
EOF
  : >"$DIR/odbc.ini"
  print_env "$PORT" >"$DIR/env.sh"
}

# Starts the cluster of DIR on PORT, or reuses it when it runs; "fresh" makes a new
# cluster when DIR holds none or an outdated one, "existing" insists on the one there.
start_cluster() {
  local mode="$1"
  shift
  (($# == 2)) || usage
  setup_paths "$1"
  PORT="$2"
  check_port "$PORT"
  if ((EUID == 0)); then
    id postgres >/dev/null 2>&1 || die "running as root needs the postgres account to own the cluster"
  fi
  mkdir -p "$DIR"
  lock_dir
  mkdir -p "$SOCK"
  chmod 700 "$SOCK"
  give_to_pg "$SOCK"

  local pid running_port
  if pid="$(cluster_pid)"; then
    running_port="$(sed -n 4p "$DATA/postmaster.pid")"
    if [[ "$running_port" != "$PORT" ]]; then
      echo "server.sh: restarting the server in $DIR on port $PORT (it ran on $running_port)" >&2
      pg_stop
    fi
  elif [[ -e "$DATA/postmaster.pid" ]]; then
    echo "server.sh: removing the stale $DATA/postmaster.pid of an earlier run" >&2
    rm -f "$DATA/postmaster.pid"
  fi

  if ! pid="$(cluster_pid)"; then
    local i
    for ((i = 0; i < 100; i++)); do
      [[ -z "$(leftovers)" ]] && break
      sleep 0.1
    done
    [[ -z "$(leftovers)" ]] || die "processes of an earlier server still run in $DATA: $(leftovers | tr '\n' ' ')"
    rm -f "$SOCK/.s.PGSQL.$PORT" "$SOCK/.s.PGSQL.$PORT.lock"

    if [[ ! -f "$DATA/PG_VERSION" || "$(cat "$DIR/initialized" 2>/dev/null || true)" != "$LAYOUT $(cat "$DATA/PG_VERSION" 2>/dev/null || true)" ]] ||
       { ((EUID == 0)) && [[ "$(stat -c %U "$DATA")" != postgres ]]; }; then
      [[ "$mode" == fresh ]] || die "no server of this layout in $DIR to resume; use start"
      init_cluster
    fi
    write_config
    port_taken "$PORT" && die "port $PORT on $DB2_HOST is already taken by another program"
    : >>"$LOG"
    give_to_pg "$LOG"
    as_pg "$PGBIN/pg_ctl" -D "$DATA" -l "$LOG" -w -t 30 start >/dev/null || fail "the server did not start"
  else
    write_config
    as_pg "$PGBIN/pg_ctl" -D "$DATA" reload >/dev/null || fail "the server did not reload its configuration"
  fi
}

cmd_start() {
  start_cluster fresh "$@"
  provision
  write_client_files
  echo "DB2 test server ready on $DB2_HOST:$PORT, database $DB2_DATABASE, user $DB2_USER; environment in $DIR/env.sh"
}

# The database stays as the server left it; after a kill, the server's own recovery
# brings back every commit it had acknowledged (all of them with FERROVAN_DB2_DURABLE=1).
cmd_resume() {
  start_cluster existing "$@"
  write_client_files
  echo "DB2 test server resumed on $DB2_HOST:$PORT, database $DB2_DATABASE; environment in $DIR/env.sh"
}

cmd_stop() {
  (($# == 1)) || usage
  setup_paths "$1"
  if [[ ! -d "$DATA" ]]; then
    echo "no DB2 test server in $DIR"
    return 0
  fi
  lock_dir
  if cluster_pid >/dev/null; then
    pg_stop
    echo "DB2 test server in $DIR stopped"
  else
    echo "DB2 test server in $DIR was not running"
  fi
}

cmd_kill() {
  (($# == 1)) || usage
  setup_paths "$1"
  if [[ ! -d "$DATA" ]]; then
    echo "no DB2 test server in $DIR"
    return 0
  fi
  lock_dir
  local pids i
  pids="$({ cluster_pid || true; leftovers; } | sort -u | tr '\n' ' ')"
  if [[ -z "${pids// /}" ]]; then
    echo "DB2 test server in $DIR was not running"
    return 0
  fi
  # One signal for all, so no backend lives on to notice its postmaster gone and
  # say goodbye to its client.
  kill -KILL $pids 2>/dev/null || true
  for ((i = 0; i < 100; i++)); do
    [[ -z "$(leftovers)" ]] && break
    sleep 0.1
  done
  [[ -z "$(leftovers)" ]] || die "processes of the server in $DATA survived the kill: $(leftovers | tr '\n' ' ')"
  echo "DB2 test server in $DIR killed"
}

cmd_status() {
  (($# == 1)) || usage
  setup_paths "$1"
  local pid
  if pid="$(cluster_pid)"; then
    echo "DB2 test server in $DIR runs: pid $pid, port $(sed -n 4p "$DATA/postmaster.pid")"
  else
    echo "DB2 test server in $DIR is not running"
    exit 3
  fi
}

cmd_env() {
  (($# == 2)) || usage
  setup_paths "$1"
  check_port "$2"
  print_env "$2"
}

cmd_vars() {
  (($# == 2)) || usage
  setup_paths "$1"
  check_port "$2"
  print_vars "$2"
}

(($# >= 1)) || usage
command="$1"
shift
case "$command" in
  start) cmd_start "$@" ;;
  stop) cmd_stop "$@" ;;
  kill) cmd_kill "$@" ;;
  resume) cmd_resume "$@" ;;
  status) cmd_status "$@" ;;
  env) cmd_env "$@" ;;
  vars) cmd_vars "$@" ;;
  *) usage ;;
esac

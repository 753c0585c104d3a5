#!/usr/bin/env bash
# A throwaway PostgreSQL server for one run of the tests.
#   test-postgres.sh start STATE_FILE TAVLO_II_CLI   starts it and writes STATE_FILE
#   test-postgres.sh stop STATE_FILE                 stops it and removes everything it made
# The server runs from a temporary folder on a free port of 127.0.0.1, as the user postgres
# when started by root (the server refuses to run as root). As a clinic's would, it holds an
# administrator's role (CREATEROLE, owner of the database "tavlo", made by `tavlo-ii-cli
# init-db --server`) and one examiner's role made by `tavlo-ii-cli user add`. Every password is
# drawn at random for the run. STATE_FILE gives the tests:
#   TEMPLATE=   the connection template of that database (what its Virod.mdw holds)
#   FOLDER=     the folder init-db made for it
#   SERVER=     Server=...;Port=... for init-db --server on a database of the test's own
#   SUPERUSER=  a complete connection string of the server's superuser, to make such databases
#   ADMIN=, ADMIN_PASSWORD=        the administrator's role
#   EXAMINER=, EXAMINER_PASSWORD=  the examiner's role, in the group of "tavlo"
#   PGPASSFILE= a libpq password file with the superuser's and the administrator's passwords
set -euo pipefail
action=${1:?usage: test-postgres.sh start|stop STATE_FILE [TAVLO_II_CLI]}
state=${2:?usage: test-postgres.sh start|stop STATE_FILE [TAVLO_II_CLI]}

admin_role=tavlo_admin
examiner_role=demo

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bindir/initdb" ] || { echo "PostgreSQL is not installed (tools/deps.sh installs it)" >&2; exit 1; }

as_server=()
if [ "$(id -u)" -eq 0 ]; then
  id postgres >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin postgres
  as_server=(runuser -u postgres --)
fi

stop() {
  [ -f "$state" ] || return 0
  local work
  work=$(sed -n 's/^WORK=//p' "$state")
  if [ -n "$work" ] && [ -d "$work/data" ]; then
    "${as_server[@]}" "$bindir/pg_ctl" -D "$work/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  [ -n "$work" ] && rm -rf "$work"
  rm -f "$state"
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi
cli=${3:?usage: test-postgres.sh start STATE_FILE TAVLO_II_CLI}
stop # a server left by a run that was killed

work=$(mktemp -d "${TMPDIR:-/tmp}/tavlo-pg-XXXXXX")
chmod 755 "$work"
random_password() { head -c 18 /dev/urandom | od -An -tx1 | tr -d ' \n'; }
superpw=$(random_password)
adminpw=$(random_password)
examinerpw=$(random_password)
printf '%s\n' "$superpw" >"$work/superpw"
mkdir "$work/data" "$work/socket"
[ ${#as_server[@]} -gt 0 ] && chown postgres "$work/superpw" "$work/data" "$work/socket"
chmod 600 "$work/superpw"
"${as_server[@]}" "$bindir/initdb" -D "$work/data" -U tavlo_super --pwfile="$work/superpw" \
  --auth=scram-sha-256 --encoding=UTF8 --locale=C.UTF-8 >"$work/initdb.log" 2>&1 \
  || { cat "$work/initdb.log" >&2; rm -rf "$work"; exit 1; }
rm -f "$work/superpw"

port=""
for _ in $(seq 20); do
  candidate=$((20000 + RANDOM % 40000))
  # Something answers there already.
  (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null && continue
  if "${as_server[@]}" "$bindir/pg_ctl" -D "$work/data" -l "$work/data/server.log" -w -t 60 \
       -o "-p $candidate -k $work/socket -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null 2>&1; then
    port=$candidate
    break
  fi
done
if [ -z "$port" ]; then
  echo "the test server did not start:" >&2
  cat "$work/data/server.log" >&2 || true
  rm -rf "$work"
  exit 1
fi
echo "WORK=$work" >"$state"
chmod 600 "$state"

export PGPASSWORD=$superpw
psql=("$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U tavlo_super -d postgres)
# What a clinic's server administrator does once: the clinic's administrator and its database.
"${psql[@]}" -c "CREATE ROLE $admin_role LOGIN CREATEROLE PASSWORD '$adminpw'" \
  -c "CREATE DATABASE tavlo OWNER $admin_role" || { stop; exit 1; }
unset PGPASSWORD
export PGPASSFILE="$work/pgpass"
(umask 077 && printf '127.0.0.1:%s:*:tavlo_super:%s\n127.0.0.1:%s:*:%s:%s\n' \
  "$port" "$superpw" "$port" "$admin_role" "$adminpw" >"$PGPASSFILE")
server="Server=127.0.0.1;Port=$port"
"$cli" init-db "$work/folder" --user "$admin_role" --server "$server;Database=tavlo" </dev/null \
  || { stop; exit 1; }
printf '%s\n' "$examinerpw" | "$cli" user add "$work/folder" "$examiner_role" --user "$admin_role" \
  || { stop; exit 1; }
{
  echo "TEMPLATE=DRIVER={PostgreSQL Unicode};$server;Database=tavlo;UID=%3;PWD=%4"
  echo "FOLDER=$work/folder"
  echo "SERVER=$server"
  echo "SUPERUSER=DRIVER={PostgreSQL Unicode};$server;Database=postgres;UID=tavlo_super;PWD=$superpw"
  echo "ADMIN=$admin_role"
  echo "ADMIN_PASSWORD=$adminpw"
  echo "EXAMINER=$examiner_role"
  echo "EXAMINER_PASSWORD=$examinerpw"
  echo "PGPASSFILE=$PGPASSFILE"
} >>"$state"
echo "PostgreSQL for the tests on 127.0.0.1:$port ($work)"

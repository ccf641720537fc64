# Sourced by the printer application's tests: a private server of the app
# (its state, spool, log and local socket under one folder, a random
# loopback port, no avahi needed) and the waiting the tests do on it.

. "$(dirname "${BASH_SOURCE[0]}")/../cups/cups_env.sh"

# The sub-commands find the server's local socket through the environment:
# PAPPL 1.3.1 puts root's in $SNAP_COMMON when that is set (otherwise in
# /run, shared by every server of the machine) and other users' in $TMPDIR.
app_socket_in() { export SNAP_COMMON=$1 TMPDIR=$1; }

# start_app APP DIR [SERVER-OPTION...]: starts a server whose files are
# under DIR, with file: devices in DIR's folder, and sets APP_PORT; returns
# once the server answers on its local socket and on its port (a loaded
# machine has seen the one before the other). Up to 30 s, since the tests
# beside it may be loading both cores.
start_app() {
  local app=$1 dir=$2 options=()
  shift 2
  APP_BIN=$app APP_DIR=$dir
  for option in "$@"; do options+=(-o "$option"); done
  mkdir -p "$dir"
  app_socket_in "$dir"
  APP_PORT=$(free_port)
  # file: devices may write anywhere under the folder that holds DIR.
  "$app" server -o state-directory="$dir/state" -o spool-directory="$dir/spool" \
    -o log-file="$dir/log" -o server-port="$APP_PORT" -o file-directory="$(dirname "$dir")" \
    "${options[@]}" >"$dir/server.out" 2>&1 &
  echo $! >"$dir/app.pid"
  for _ in $(seq 1 300); do
    # status never starts a server of its own, as the other sub-commands do.
    "$app" status >/dev/null 2>&1 && (exec 3<>"/dev/tcp/127.0.0.1/$APP_PORT") 2>/dev/null &&
      return 0
    kill -0 "$(cat "$dir/app.pid")" 2>/dev/null || break
    sleep 0.1
  done
  echo "the server did not start:"; cat "$dir/server.out"; tail -20 "$dir/log" 2>/dev/null
  return 1
}

# stop_app APP DIR: the shutdown sub-command, then the server's exit status
# (it must end within 30 s, as loaded as both cores may be). Leaves nothing
# running either way.
stop_app() {
  local app=$1 dir=$2 pid status=0
  [ -f "$dir/app.pid" ] || return 0
  pid=$(cat "$dir/app.pid")
  rm -f "$dir/app.pid"
  app_socket_in "$dir"
  "$app" shutdown >/dev/null 2>&1 || true
  for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid" 2>/dev/null
    echo "the server did not stop within 30 s"
    status=1
  fi
  wait "$pid" 2>/dev/null || status=$?
  return "$status"
}

# app SUB-COMMAND [ARGUMENT...]: a sub-command for the server start_app
# started, only while it runs: without a server, PAPPL's sub-commands start
# one of their own, which would outlive the test.
app() {
  kill -0 "$(cat "$APP_DIR/app.pid" 2>/dev/null)" 2>/dev/null ||
    { echo "the server is not running; the end of its log:"; tail -5 "$APP_DIR/log"; return 1; }
  "$APP_BIN" "$@"
}

# wait_jobs PRINTER: until no job of the printer is pending or printing.
wait_jobs() {
  local printer=$1 jobs
  for _ in $(seq 1 600); do
    jobs=$(app jobs -d "$printer") || return 1
    grep -qE ' (pending|held|processing|stopped) ' <<<"$jobs" || return 0
    sleep 0.1
  done
  echo "jobs of $printer did not finish:"; echo "$jobs"
  return 1
}

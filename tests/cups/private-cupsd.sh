#!/usr/bin/env bash
# Starts a private CUPS scheduler for the tests: its own configuration,
# spool and log directories under DIR, listening only on a loopback port,
# with the standard filters and this project's filter, and file: devices
# allowed. Prints the server's address (127.0.0.1:PORT).
#   private-cupsd.sh start DIR FILTER   -> starts it, prints the address
#   private-cupsd.sh stop DIR           -> stops it and leaves nothing running
set -euo pipefail

. "$(dirname "$0")/cups_env.sh"

start() {
  local dir=$1 filter=$2 port
  rm -rf "$dir"
  mkdir -p "$dir"/{spool/tmp,cache,state,log,ppd,out}
  serverbin_with_filter "$dir" "$filter"
  port=$(free_port)
  cat >"$dir/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
LogLevel debug
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
  cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir
ServerBin $dir/serverbin
DataDir /usr/share/cups
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice Yes
Sandboxing Relaxed
CONF
  cp /etc/cups/mime.types /etc/cups/mime.convs "$dir/" 2>/dev/null || true
  # Filters run as the unprivileged lp user: the output directory and the
  # spool must be theirs to write.
  chmod 0777 "$dir/out" "$dir/spool/tmp"
  /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/stdout" 2>&1 &
  echo $! >"$dir/cupsd.pid"
  # Up to 30 s: the tests beside it may be loading both cores.
  for _ in $(seq 1 300); do
    # lpstat -r exits 0 whether or not it reached the scheduler: read it.
    if lpstat -h "127.0.0.1:$port" -r 2>/dev/null | grep -qx "scheduler is running"; then
      echo "127.0.0.1:$port"
      return
    fi
    sleep 0.1
  done
  echo "private cupsd did not start; see $dir/log" >&2
  stop "$dir"
  return 1
}

stop() {
  local dir=$1 pid
  [ -f "$dir/cupsd.pid" ] || return 0
  pid=$(cat "$dir/cupsd.pid")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
  rm -f "$dir/cupsd.pid"
}

"$@"

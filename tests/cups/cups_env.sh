# Sourced by the CUPS and printer-application tests: a server-program
# directory that holds the standard filters and backends beside this
# project's filter, the configuration that points cupsfilter at it, and a
# free loopback port for a private server.

# serverbin_with_filter DIR [FILTER]: DIR/serverbin, with FILTER as
# rastertovrelo when given.
serverbin_with_filter() {
  local dir=$1 filter=${2:-}
  mkdir -p "$dir/serverbin/filter"
  for part in /usr/lib/cups/*; do
    [ "$(basename "$part")" = filter ] || ln -sfn "$part" "$dir/serverbin/"
  done
  for f in /usr/lib/cups/filter/*; do ln -sfn "$f" "$dir/serverbin/filter/"; done
  [ -z "$filter" ] || ln -sfn "$filter" "$dir/serverbin/filter/rastertovrelo"
}

# cupsfilter_config DIR [FILTER]: DIR/cups-files.conf for cupsfilter -c.
cupsfilter_config() {
  local dir=$1
  serverbin_with_filter "$@"
  printf 'ServerBin %s\nDataDir /usr/share/cups\n' "$dir/serverbin" >"$dir/cups-files.conf"
}

# A loopback port nothing answers on, picked at random so that servers of
# runs side by side do not meet.
free_port() {
  local port
  for _ in $(seq 1 50); do
    port=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then echo "$port"; return; fi
  done
  return 1
}

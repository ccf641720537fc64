# Sourced by the CUPS tests: a server-program directory that holds the
# standard filters and backends beside this project's filter, and the
# configuration that points cupsfilter at it.

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

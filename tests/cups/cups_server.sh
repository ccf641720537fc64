#!/usr/bin/env bash
# The real print server: a private cupsd (its own configuration and spool,
# loopback only, file: devices allowed) gets a queue made with lpadmin from
# the shipped PPD; lp prints the test page to it at Draft quality, and the
# file the queue writes decodes to exactly the raster of that page; asked
# for IPP's print-quality high, the queue renders three dot sizes. The
# server is stopped at the end, whatever happens.
#   cups_server.sh TOOLS_DIR PPD PAGES.ps
set -euo pipefail
tools=$1 ppd=$2 pages=$3
# cupsd runs its filters as the lp user, which only root can arrange.
if [ "$(id -u)" != 0 ]; then echo "skipped: a private cupsd needs root"; exit 77; fi
here=$(cd "$(dirname "$0")" && pwd)
. "$here/cups_env.sh"
work=$(mktemp -d)
chmod 0755 "$work"
trap '"$here/private-cupsd.sh" stop "$work/cups"; rm -rf "$work"' EXIT

server=$("$here/private-cupsd.sh" start "$work/cups" "$tools/rastertovrelo")
for res in 1440x720dpi 720x720dpi; do
  out="$work/cups/out/$res.prn"
  lpadmin -h "$server" -p "vrelo-$res" -E -v "file://$out" -P "$ppd" \
    -o "Resolution-default=$res" -o cupsPrintQuality-default=Draft 2>"$work/lpadmin.err" ||
    { cat "$work/lpadmin.err"; tail -20 "$work/cups/log/error_log"; exit 1; }
  lp -h "$server" -d "vrelo-$res" "$pages" >/dev/null
done
high="$work/cups/out/high.prn"
lpadmin -h "$server" -p vrelo-high -E -v "file://$high" -P "$ppd"
lp -h "$server" -d vrelo-high -o print-quality=5 "$pages" >/dev/null
for _ in $(seq 1 600); do
  [ -z "$(lpstat -h "$server" -o 2>/dev/null)" ] && break
  sleep 0.1
done
[ -z "$(lpstat -h "$server" -o)" ] || { echo "jobs did not finish"; tail -40 "$work/cups/log/error_log"; exit 1; }

# The raster the same chain makes, for comparison.
cupsfilter_config "$work"
for res in 1440x720dpi 720x720dpi; do
  cupsfilter -e -c "$work/cups-files.conf" -p "$ppd" -o "Resolution=$res" -o cupsPrintQuality=Draft \
    -m application/vnd.cups-raster "$pages" >"$work/$res.ras" 2>/dev/null
  delays=none
  [ "$res" = 1440x720dpi ] && delays=1440x720
  "$tools/vrelo-inspect" --delays "$delays" --compare "$work/$res.ras" \
    "$work/cups/out/$res.prn" >"$work/inspect.out"
  grep -q '^pages: 2, form feeds: 2$' "$work/inspect.out"
  echo "lp to a queue at $res: the file it wrote is the raster"
done
"$tools/vrelo-inspect" --delays 1440x720 --bits 2 "$high" >"$work/inspect.out"
grep -q '^pages: 2, form feeds: 2$' "$work/inspect.out"
echo "lp with print-quality high: three dot sizes"

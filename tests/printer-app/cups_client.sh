#!/usr/bin/env bash
# CUPS as a driverless client of the app: a private cupsd (tests/cups) adds
# the app's printer as an IPP Everywhere queue, asking the printer what it
# can do; lp prints a PDF to the queue, and the stream the app writes to its
# file: device holds every page and is valid.
#   cups_client.sh APP INSPECT PAGES.ps
set -euo pipefail
app=$1 inspect=$2 pages=$3
# cupsd runs its backends as the lp user, which only root can arrange.
if [ "$(id -u)" != 0 ]; then echo "skipped: a private cupsd needs root"; exit 77; fi
here=$(cd "$(dirname "$0")" && pwd)
cups=$here/../cups
. "$here/app_env.sh"
work=$(mktemp -d)
chmod 0755 "$work"
trap 'stop_app "$app" "$work/app" || true; "$cups/private-cupsd.sh" stop "$work/cups"
      rm -rf "$work"' EXIT

start_app "$app" "$work/app"
mkdir -m 0777 "$work/out"
app add -d driverless -m vrelo417_1440_3dots -v "file://$work/out"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sPAPERSIZE=a4 -sOutputFile="$work/pages.pdf" \
  "$pages"
server=$("$cups/private-cupsd.sh" start "$work/cups" "")
lpadmin -h "$server" -p q -E -v "ipp://127.0.0.1:$APP_PORT/ipp/print/driverless" -m everywhere \
  2>"$work/lpadmin.err" || { cat "$work/lpadmin.err"; tail -20 "$work/cups/log/error_log"; exit 1; }
lp -h "$server" -d q "$work/pages.pdf" >/dev/null
for _ in $(seq 1 600); do
  [ -z "$(lpstat -h "$server" -o 2>/dev/null)" ] && break
  sleep 0.1
done
[ -z "$(lpstat -h "$server" -o)" ] ||
  { echo "the CUPS job did not finish"; tail -40 "$work/cups/log/error_log"; exit 1; }
wait_jobs driverless
app jobs -d driverless | grep -q ' completed ' ||
  { echo "the app's job did not complete:"; app jobs -d driverless; tail -20 "$work/app/log"; exit 1; }
streams=("$work"/out/*)
[ "${#streams[@]}" = 1 ] && [ -s "${streams[0]}" ] || { echo "no stream from the app"; ls -la "$work/out"; exit 1; }
"$inspect" "${streams[0]}" >"$work/inspect.out"
grep -q '^pages: 2, form feeds: 2$' "$work/inspect.out" || { cat "$work/inspect.out"; exit 1; }
stop_app "$app" "$work/app"
echo "lp through a driverless CUPS queue: a valid stream of both pages"

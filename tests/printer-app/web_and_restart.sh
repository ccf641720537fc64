#!/usr/bin/env bash
# A private server of the app through its life: the job limits refuse a
# job with too many pages and a document too large; the web interface
# answers on loopback only, and refuses administrative pages and changes
# without authentication (over IPP too, and with wrong credentials); run as
# root, it adds no printer whose file: device lies outside its file
# directory; the server shuts down cleanly, by its shutdown sub-command and
# by SIGTERM;
# a restart keeps the printer and its settings; and a default its driver no
# longer offers, or still the driver's old one, becomes the driver's own.
#   web_and_restart.sh APP PAGES.ps
set -euo pipefail
app=$1 pages=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/app_env.sh"
work=$(mktemp -d)
trap 'stop_app "$app" "$work/app" || true; rm -rf "$work"' EXIT
state=$work/app/state/vrelo-printer-app

# defaults: the printer's defaults as ipptool shows them, one a line.
defaults() {
  ipptool -tv "ipp://127.0.0.1:$APP_PORT/ipp/print/kept" "$here/printer_defaults.test" |
    sed -n 's/^ *\([a-z0-9-]*-default\) ([^)]*) = /\1=/p'
}
expect_default() {
  grep -qx "$1" <<<"$2" || { echo "expected $1 in:"; echo "$2"; exit 1; }
}
http_status() { curl -s -o /dev/null -w '%{http_code}' "$@"; }

start_app "$app" "$work/app" max-job-pages=1 max-job-size=1
mkdir "$work/out"
app add -d kept -m vrelo417_1440_3dots -v "file://$work/out"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile="$work/two-pages.pdf" "$pages"
cp "$work/two-pages.pdf" "$work/large.pdf"
head -c 1200000 /dev/zero >>"$work/large.pdf"
app submit -d kept -t two-pages "$work/two-pages.pdf" >/dev/null
app submit -d kept -t large "$work/large.pdf" >/dev/null 2>&1 || true
wait_jobs kept
app jobs -d kept | grep -q ' aborted .* two-pages$'
app jobs -d kept | grep -q ' aborted .* large$'
grep -q 'more than 1 pages' "$work/app/log"
grep -q 'File too large' "$work/app/log"
echo "limits: a job of too many pages and a document too large are refused"

base=http://127.0.0.1:$APP_PORT
curl -sf "$base/" >"$work/home.html"
grep -q 'kept' "$work/home.html"
grep -q 'vrelo417 printer application' "$work/home.html"
[ "$(http_status "$base/kept/")" = 200 ]
for page in /config /addprinter /kept/config /kept/printing /kept/delete; do
  status=$(http_status "$base$page")
  [ "$status" = 401 ] || { echo "$page without authentication: HTTP $status"; exit 1; }
done
status=$(http_status -u nobody:wrong "$base/kept/printing")
[ "$status" = 401 ] || { echo "/kept/printing with wrong credentials: HTTP $status"; exit 1; }
status=$(http_status -d print-quality-default=3 "$base/kept/printing")
[ "$status" = 401 ] || { echo "a change posted without authentication: HTTP $status"; exit 1; }
answer=$(ipptool -t "ipp://127.0.0.1:$APP_PORT/ipp/print/kept" \
  "$here/change_unauthenticated.test" </dev/null 2>&1 || true)
grep -q 'status-code = client-error-not-authenticated' <<<"$answer" ||
  { echo "Set-Printer-Attributes without credentials was not refused:"; echo "$answer"; exit 1; }
expect_default print-quality-default=normal "$(defaults)"
# Not on the machine's other addresses.
for address in $(hostname -I 2>/dev/null); do
  [[ $address == 127.* || $address == *:* ]] && continue
  if (exec 3<>"/dev/tcp/$address/$APP_PORT") 2>/dev/null; then
    echo "the server answers on $address"; exit 1
  fi
done
echo "web interface: answers on loopback, refuses administration without authentication"

# A server run as root writes file: devices only in its file-directory,
# also through a link that leads out of it.
if [ "$(id -u)" = 0 ]; then
  ln -s /etc "$work/etc-link"
  for device in file:///etc/vrelo-refused "file://$work/etc-link/vrelo-refused"; do
    if app add -d refused -m vrelo417_720 -v "$device" >/dev/null 2>&1; then
      echo "a printer writing to $device was added"; exit 1
    fi
  done
  ! app printers | grep -qx refused
  echo "file: devices: refused outside the file directory"
fi

# Administration through the local socket, as the sub-commands do it.
app modify -d kept -o print-quality-default=high -o vrelo417-join-pages-default=true \
  -o media=iso_a4_210x297mm -o media-type=photographic
stop_app "$app" "$work/app"
echo "shutdown sub-command: a clean exit"

start_app "$app" "$work/app"
app printers | grep -qx kept
settings=$(defaults)
for setting in print-quality-default=high vrelo417-join-pages-default=true \
                printer-resolution-default=1440x720dpi print-scaling-default=auto; do
  expect_default "$setting" "$settings"
done
grep -q 'media-size-name=iso_a4_210x297mm .*media-type=photographic' <<<"$settings"
pid=$(cat "$work/app/app.pid")
kill -TERM "$pid"
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$pid" || status=$?
rm -f "$work/app/app.pid"
[ "$status" = 0 ] || { echo "SIGTERM: the server exited with status $status"; exit 1; }
echo "restart: the printer and its settings kept; SIGTERM: a clean exit"

# A newer driver: it no longer offers the saved resolution, and its own
# scaling default is no longer "fit" (the record says the old driver gave
# fit, and the printer still has it); the quality the user chose stays.
sed -i 's/^printer-resolution-default .*/printer-resolution-default 300x300dpi/;
        s/^print-scaling-default .*/print-scaling-default fit/' "$state.state"
sed -i 's/^print-scaling-default .*/print-scaling-default 8/' "$state.driver-defaults"
start_app "$app" "$work/app"
settings=$(defaults)
for setting in printer-resolution-default=1440x720dpi print-scaling-default=auto \
                print-quality-default=high vrelo417-join-pages-default=true; do
  expect_default "$setting" "$settings"
done
grep -q 'print-scaling-default: 8 becomes the driver' "$work/app/log"
stop_app "$app" "$work/app"
grep -q '^printer-resolution-default 1440x720dpi$' "$state.state"
echo "a changed driver: its defaults replace the stale ones, the user's choices stay"

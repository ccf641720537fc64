#!/usr/bin/env bash
# The real CUPS chain: cupsfilter with the shipped PPD turns the PostScript
# test page into a printer stream (Ghostscript's raster filter, then
# rastertovrelo), and the stream decodes to exactly the raster the same
# chain gives when asked for CUPS raster. Also the PPD passes cupstestppd,
# and with Join Pages the rows a page carries over come out exactly, also
# through a blank page.
#   cupsfilter_chain.sh TOOLS_DIR PPD PAGES.ps JOINED_PAGES.ps
set -euo pipefail
tools=$1 ppd=$2 pages=$3 joined=$4
. "$(dirname "$0")/cups_env.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/root/usr/lib/cups/filter"
ln -s "$tools/rastertovrelo" "$work/root/usr/lib/cups/filter/rastertovrelo"
cupstestppd -R "$work/root" "$ppd"

cupsfilter_config "$work" "$tools/rastertovrelo"

# chain DOCUMENT PAGES OPTION...: the document as raster and as a stream,
# compared row by row.
chain() {
  local document=$1 count=$2 delays=none
  shift 2
  cupsfilter -e -c "$work/cups-files.conf" -p "$ppd" "$@" \
    -m application/vnd.cups-raster "$document" >"$work/page.ras" 2>"$work/raster.err"
  cupsfilter -e -c "$work/cups-files.conf" -p "$ppd" "$@" \
    -m printer/foo "$document" >"$work/page.prn" 2>"$work/stream.err"
  grep -q "PAGE: $count 1" "$work/stream.err" || { cat "$work/stream.err"; exit 1; }
  case " $* " in *1440x720dpi*) delays=1440x720 ;; esac
  "$tools/vrelo-inspect" --delays "$delays" --compare "$work/page.ras" "$work/page.prn" \
    >"$work/inspect.out" || { cat "$work/inspect.out"; exit 1; }
  grep -q "^pages: $count, form feeds: $count\$" "$work/inspect.out"
}

for res in 1440x720dpi 720x720dpi; do
  for depth in 1 2; do
    chain "$pages" 2 -o "Resolution=$res" -o "BitDepth=$depth"
    echo "cupsfilter $res, $depth bit: the stream is the raster"
  done
done
for depth in 1 2; do
  chain "$joined" 3 -o Resolution=1440x720dpi -o "BitDepth=$depth" -o CarryOver=True
  echo "cupsfilter 1440x720dpi, $depth bit, Join Pages, a blank page between: the stream is the raster"
done

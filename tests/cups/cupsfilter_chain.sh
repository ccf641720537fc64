#!/usr/bin/env bash
# The real CUPS chain: cupsfilter with the shipped PPD turns the PostScript
# test page into a printer stream (Ghostscript's raster filter, then
# rastertovrelo), and the stream decodes to exactly the raster the same
# chain gives when asked for CUPS raster. Also the PPD passes cupstestppd.
#   cupsfilter_chain.sh TOOLS_DIR PPD PAGES.ps
set -euo pipefail
tools=$1 ppd=$2 pages=$3
. "$(dirname "$0")/cups_env.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/root/usr/lib/cups/filter"
ln -s "$tools/rastertovrelo" "$work/root/usr/lib/cups/filter/rastertovrelo"
cupstestppd -R "$work/root" "$ppd"

cupsfilter_config "$work" "$tools/rastertovrelo"

for res in 1440x720dpi 720x720dpi; do
  for depth in 1 2; do
    options=(-o "Resolution=$res" -o "BitDepth=$depth")
    cupsfilter -e -c "$work/cups-files.conf" -p "$ppd" "${options[@]}" \
      -m application/vnd.cups-raster "$pages" >"$work/page.ras" 2>"$work/raster.err"
    cupsfilter -e -c "$work/cups-files.conf" -p "$ppd" "${options[@]}" \
      -m printer/foo "$pages" >"$work/page.prn" 2>"$work/stream.err"
    grep -q 'PAGE: 2 1' "$work/stream.err" || { cat "$work/stream.err"; exit 1; }
    delays=none
    [ "$res" = 1440x720dpi ] && delays=1440x720
    "$tools/vrelo-inspect" --delays "$delays" --compare "$work/page.ras" "$work/page.prn" \
      >"$work/inspect.out"
    grep -q '^pages: 2, form feeds: 2$' "$work/inspect.out"
    echo "cupsfilter $res, $depth bit: the stream is the raster"
  done
done

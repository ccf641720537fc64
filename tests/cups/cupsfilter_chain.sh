#!/usr/bin/env bash
# The real CUPS chain: cupsfilter with the shipped PPD turns the test pages,
# made a PDF, into a printer stream (Ghostscript's raster filter, then
# rastertovrelo). At Draft quality, Ghostscript's own dots, the stream
# decodes to exactly the raster the same chain gives when asked for CUPS
# raster, and with Join Pages the rows a page carries over come out
# exactly, also through a blank page; at Normal and High, on the two papers,
# the filter renders a valid stream of one or three dot sizes. Also the PPD
# passes cupstestppd, with its printer profiles where it names them.
#   cupsfilter_chain.sh TOOLS_DIR PPD PAGES.ps JOINED_PAGES.ps
set -euo pipefail
tools=$1 ppd=$2 pages=$3 joined=$4
. "$(dirname "$0")/cups_env.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/root/usr/lib/cups/filter" "$work/root/usr/share/cups/profiles"
ln -s "$tools/rastertovrelo" "$work/root/usr/lib/cups/filter/rastertovrelo"
for media in plain photo; do
  "$tools/vrelo-profile" "$media" "$work/root/usr/share/cups/profiles/vrelo417-$media.icc"
done
cupstestppd -R "$work/root" "$ppd"

cupsfilter_config "$work" "$tools/rastertovrelo"
gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfwrite -sOutputFile="$work/pages.pdf" "$pages"
pages="$work/pages.pdf"

# chain DOCUMENT PAGES OPTION...: the document made raster by Ghostscript's
# filter, that raster made a stream by the CUPS chain's last step, and the
# two compared row by row.
chain() {
  local document=$1 count=$2 delays=none
  shift 2
  cupsfilter -e -c "$work/cups-files.conf" -p "$ppd" "$@" \
    -m application/vnd.cups-raster "$document" >"$work/page.ras" 2>"$work/raster.err"
  cupsfilter -e -c "$work/cups-files.conf" -p "$ppd" "$@" -i application/vnd.cups-raster \
    -m printer/foo "$work/page.ras" >"$work/page.prn" 2>"$work/stream.err"
  grep -q "PAGE: $count 1" "$work/stream.err" || { cat "$work/stream.err"; exit 1; }
  case " $* " in *1440x720dpi*) delays=1440x720 ;; esac
  "$tools/vrelo-inspect" --delays "$delays" --compare "$work/page.ras" "$work/page.prn" \
    >"$work/inspect.out" || { cat "$work/inspect.out"; exit 1; }
  grep -q "^pages: $count, form feeds: $count\$" "$work/inspect.out"
}

for res in 1440x720dpi 720x720dpi; do
  for depth in 1 2; do
    chain "$pages" 2 -o "Resolution=$res" -o "BitDepth=$depth" -o cupsPrintQuality=Draft
    echo "cupsfilter $res, $depth bit: the stream is the raster"
  done
done
for depth in 1 2; do
  chain "$joined" 3 -o Resolution=1440x720dpi -o "BitDepth=$depth" -o CarryOver=True \
    -o cupsPrintQuality=Draft
  echo "cupsfilter 1440x720dpi, $depth bit, Join Pages, a blank page between: the stream is the raster"
done

# Each rendered quality and each paper once (the package test prints Normal
# on the PPD's default, plain paper).
for pair in Normal:Photo High:Plain; do
  quality=${pair%:*} media=${pair#*:} bits=1
  [ "$quality" = High ] && bits=2
  cupsfilter -e -c "$work/cups-files.conf" -p "$ppd" -o "cupsPrintQuality=$quality" \
    -o "MediaType=$media" -m printer/foo "$pages" >"$work/page.prn" 2>"$work/stream.err"
  grep -q "INFO: Printing page 2, 1440x720 dpi, $bits bits*, rendered for ${media,,} paper" \
    "$work/stream.err" || { cat "$work/stream.err"; exit 1; }
  grep -q 'PAGE: 2 1' "$work/stream.err"
  "$tools/vrelo-inspect" --delays 1440x720 --bits "$bits" "$work/page.prn" >"$work/inspect.out"
  grep -q '^pages: 2, form feeds: 2$' "$work/inspect.out"
  echo "cupsfilter $quality on $media paper: a valid stream at $bits bit(s)"
done

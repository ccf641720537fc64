#!/usr/bin/env bash
# Ghostscript renders the two-page test page to CUPS raster (KCMYcm, 1 bit,
# banded) at 1440x720 and 720x720; rastertovrelo, called as CUPS calls a
# filter, and vrelo-print turn each into a printer stream, with and without
# carry-over, and vrelo-inspect finds every row of the raster at its line.
#   ghostscript_roundtrip.sh TOOLS_DIR PAGES.ps
set -euo pipefail
tools=$1 pages=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for res in 1440x720 720x720; do
  delays=none
  [ "$res" = 1440x720 ] && delays=1440x720
  gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=cups -r"$res" -dcupsColorSpace=9 \
     -dcupsBitsPerColor=1 -dcupsColorOrder=1 -sOutputFile="$work/$res.ras" "$pages" \
     2>"$work/gs.err" || { cat "$work/gs.err"; exit 1; }
  for carry in False True; do
    "$tools/rastertovrelo" 17 tester "test pages" 1 "CarryOver=$carry" "$work/$res.ras" \
      >"$work/filter.prn" 2>"$work/filter.err"
    grep -q '^PAGE: 2 1$' "$work/filter.err"
    flag=""
    [ "$carry" = True ] && flag=--carry-over
    "$tools/vrelo-print" --quiet $flag -o "$work/print.prn" "$work/$res.ras"
    cmp "$work/filter.prn" "$work/print.prn"
    # The filter reads standard input as well as a file.
    "$tools/rastertovrelo" 17 tester "test pages" 1 "CarryOver=$carry" <"$work/$res.ras" 2>/dev/null \
      | cmp - "$work/filter.prn"
    "$tools/vrelo-inspect" --delays "$delays" --compare "$work/$res.ras" "$work/filter.prn" \
      >"$work/inspect.out"
    grep -q '^pages: 2, form feeds: 2$' "$work/inspect.out"
    echo "$res carry-over $carry: every row at its line"
  done
done

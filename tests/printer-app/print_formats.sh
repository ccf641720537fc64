#!/usr/bin/env bash
# A job in every input format the app takes, at every print quality, to a
# file: device of a private server: PDF (through Ghostscript), JPEG and PNG
# (PAPPL's own filters), PWG and Apple raster, and the printer's own stream,
# which must come out unchanged. Every stream is valid for vrelo-inspect;
# for raster input its rows are exactly where the app's rendering puts them,
# worked out apart from the server by render_reference (Join Pages and photo
# paper included).
#   print_formats.sh APP INSPECT RENDER_REFERENCE PAGES.ps
set -euo pipefail
app=$1 inspect=$2 reference=$3 pages=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/app_env.sh"
work=$(mktemp -d)
trap 'stop_app "$app" "$work/app" || true; rm -rf "$work"' EXIT
driver=vrelo417_1440_3dots

start_app "$app" "$work/app"
mkdir "$work/out"
app add -d formats -m "$driver" -v "file://$work/out"
"$here/make_samples.sh" "$pages" "$work/docs" srgb-8/document-a4 sgray-8/onepage-letter
docs=$work/docs
gs -q -dSAFER -dBATCH -dNOPAUSE -dDEVICEWIDTHPOINTS=288 -dDEVICEHEIGHTPOINTS=432 -dFIXEDMEDIA \
  -sDEVICE=pwgraster -dcupsColorSpace=19 -dcupsBitsPerColor=8 -r1440x720 \
  -sOutputFile="$docs/photo-1440.pwg" "$pages" >/dev/null 2>&1
# Apple raster has one resolution for both directions.
gs -q -dSAFER -dBATCH -dNOPAUSE -dDEVICEWIDTHPOINTS=288 -dDEVICEHEIGHTPOINTS=432 -dFIXEDMEDIA \
  -sDEVICE=urf -dcupsColorSpace=19 -dcupsBitsPerColor=8 -r720 \
  -sOutputFile="$docs/photo-720.urf" "$pages" >/dev/null 2>&1
pwg720=$docs/pwg-raster-samples-720dpi

# print NAME FILE [OPTION...]: one job, named NAME, its stream in out/NAME.prn.
# PAPPL takes a raster job only while the printer is idle: each job waits
# for the one before.
print() {
  local name=$1 file=$2
  shift 2
  app submit -d formats -t "$name" "$@" "$file" >/dev/null
  wait_jobs formats
  [ -s "$work/out/$name.prn" ] || { echo "$name: no stream"; app jobs -d formats; tail "$work/app/log"; exit 1; }
  "$inspect" "$work/out/$name.prn" >"$work/$name.inspect" ||
    { echo "$name: the stream is not valid"; exit 1; }
}

# raster NAME FILE QUALITY JOIN MEDIA-TYPE: a raster job whose rows must be
# where the app's rendering puts them.
raster() {
  local name=$1 file=$2 quality=$3 join=$4 type=$5 delays=none
  print "$name" "$file" -o print-quality="$quality" -o vrelo417-join-pages="$join" \
    -o media-type="$type"
  "$reference" "$driver" "$quality" "$join" "$type" "$file" "$work/$name.ras"
  grep -q '^pages: .*, form feeds: ' "$work/$name.inspect"
  [ "$(head -c 4 "$file")" = "RaS2" ] || [ "$(head -c 7 "$file")" = "UNIRAST" ]
  if grep -q 1440 <<<"$name"; then delays=1440x720; fi
  "$inspect" --delays "$delays" --compare "$work/$name.ras" "$work/out/$name.prn" \
    >"$work/$name.compare" || { cat "$work/$name.compare"; exit 1; }
  echo "$name: every row where the rendering put it"
}

# On 4x6 in photo paper: the pages at 1440 x 720 stay small (the other
# tests print on A4 and Letter).
photo=(-o media=na_index-4x6_4x6in -o media-type=photographic)
for quality in draft normal high; do
  print "pdf-$quality" "$docs/document-a4.pdf" -o print-quality="$quality" "${photo[@]}"
  grep -q '^pages: 2, form feeds: 2$' "$work/pdf-$quality.inspect"
  print "jpeg-$quality" "$docs/color.jpg" -o print-quality="$quality" "${photo[@]}"
  print "png-$quality" "$docs/picture.png" -o print-quality="$quality" "${photo[@]}"
  echo "PDF, JPEG and PNG at $quality quality: valid streams"
done
raster pwg-720-srgb-draft "$pwg720/srgb-8/document-a4-srgb-8-720dpi.pwg" draft false stationery
raster pwg-720-sgray-normal "$pwg720/sgray-8/onepage-letter-sgray-8-720dpi.pwg" normal false stationery
raster pwg-1440-normal "$docs/photo-1440.pwg" normal false photographic
raster pwg-1440-high-joined "$docs/photo-1440.pwg" high true stationery
raster urf-720-high "$docs/photo-720.urf" high false photographic

# The printer's own stream goes through unchanged.
print stream "$work/out/pdf-high.prn" -o document-format=application/vnd.vrelo417
cmp "$work/out/pdf-high.prn" "$work/out/stream.prn"
echo "the printer's own stream: passed through unchanged"
stop_app "$app" "$work/app"

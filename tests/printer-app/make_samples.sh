#!/usr/bin/env bash
# Makes the documents the printer application's tests print from the
# project's own test pages, drawn at a third of their size in the top
# corner of each page, so that most lines are blank and the many jobs stay
# quick:
#   make_samples.sh PAGES.ps OUT [T/NAME ...|all]
# OUT/document-a4.pdf, document-letter.pdf and .ps (both pages), color.jpg,
# gray.jpg, picture.png (4x6 in), and the PWG rasters named, of those
# ipp-everywhere.test names (all: every one):
# OUT/pwg-raster-samples-720dpi/T/NAME-T-720dpi.pwg for T srgb-8 and
# sgray-8, NAME document-a4, document-letter, onepage-a4, onepage-letter,
# color.jpg-4x6 and gray.jpg-4x6.
set -euo pipefail
pages=$1 out=$2
shift 2
wanted=" $* "
mkdir -p "$out"
small='<< /BeginPage { pop 0 currentpagedevice /PageSize get 1 get 0.62 mul translate
                       0.3 0.3 scale } >> setpagedevice'

# render OUTPUT GS-ARGUMENT...
render() {
  local output=$1
  shift
  gs -q -dSAFER -dBATCH -dNOPAUSE -sOutputFile="$output" "$@" -c "$small" -f "$pages" \
    >"$out/gs.log" 2>&1 || { cat "$out/gs.log"; exit 1; }
}

declare -A size=([a4]="-sPAPERSIZE=a4" [letter]="-sPAPERSIZE=letter"
                 [4x6]="-dDEVICEWIDTHPOINTS=288 -dDEVICEHEIGHTPOINTS=432")
for paper in a4 letter; do
  render "$out/document-$paper.pdf" -sDEVICE=pdfwrite ${size[$paper]} -dFIXEDMEDIA
  render "$out/document-$paper.ps" -sDEVICE=ps2write ${size[$paper]} -dFIXEDMEDIA
done
render "$out/color.jpg" -sDEVICE=jpeg -r72 ${size[4x6]} -dFIXEDMEDIA -dLastPage=1
render "$out/gray.jpg" -sDEVICE=jpeggray -r72 ${size[4x6]} -dFIXEDMEDIA -dLastPage=1
render "$out/picture.png" -sDEVICE=png16m -r72 ${size[4x6]} -dFIXEDMEDIA -dLastPage=1

# pwg TYPE NAME GS-ARGUMENT...: the sample, when it is wanted.
declare -A space=([srgb-8]=19 [sgray-8]=18)
pwg() {
  local type=$1 name=$2
  shift 2
  [[ $wanted == *" all "* || $wanted == *" $type/$name "* ]] || return 0
  mkdir -p "$out/pwg-raster-samples-720dpi/$type"
  render "$out/pwg-raster-samples-720dpi/$type/$name-$type-720dpi.pwg" -sDEVICE=pwgraster \
    -dcupsColorSpace=${space[$type]} -dcupsBitsPerColor=8 -r720 -dFIXEDMEDIA "$@"
}
for type in srgb-8 sgray-8; do
  for paper in a4 letter; do
    pwg "$type" "document-$paper" ${size[$paper]}
    pwg "$type" "onepage-$paper" ${size[$paper]} -dLastPage=1
  done
  for picture in color gray; do pwg "$type" "$picture.jpg-4x6" ${size[4x6]} -dLastPage=1; done
done
rm -f "$out/gs.log"

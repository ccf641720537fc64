#!/usr/bin/env bash
# Installs a build into a staging prefix and, from outside the source tree,
# builds a small C host against it twice, with pkg-config and with
# find_package, and runs it; then makes the build's Debian package and
# checks its name, architecture, dependencies and files, its license and
# release notes. The amd64 package, unpacked into a scratch root, gives man
# pages that render without warnings and a filter that cupsfilter runs with
# the installed PPD.
#   install_test.sh BUILD_DIR SOURCE_DIR native|i386 [EMULATOR...]
# The host runs under EMULATOR when one is given (32-bit programs on a
# machine that cannot run them natively).
set -euo pipefail
build=$1 source=$2 kind=$3
shift 3
emulator=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

if [ "$kind" = i386 ]; then arch=i386-linux-gnu cflags=-m32; else arch=x86_64-linux-gnu cflags=""; fi
# A 32-bit CMake project names its multiarch directory, as a toolchain
# file for i386 does.
cmake_arch=(-DCMAKE_LIBRARY_ARCHITECTURE="$arch")
run() { "${emulator[@]}" "$@"; }

prefix=/opt/vrelo417
DESTDIR="$work/stage" cmake --install "$build" --prefix "$prefix" >/dev/null
root="$work/stage$prefix"
libdir="$root/lib/$arch"
test -f "$libdir/libvrelo417.so" -a -f "$libdir/libvrelo417_host.a"
cp "$source/tests/install/host.c" .

# pkg-config
PKG_CONFIG_LIBDIR="$libdir/pkgconfig" cc $cflags -o host-pc host.c \
  $(PKG_CONFIG_LIBDIR="$libdir/pkgconfig" pkg-config --cflags --libs vrelo417)
# One version: the header's, in the .pc file and in what the host prints.
version=$(sed -n 's/^#define VRELO_VERSION_\(MAJOR\|MINOR\|PATCH\) *\([0-9]*\)$/\2/p' \
  "$source/include/vrelo417_version.h" | paste -sd.)
[ "$(PKG_CONFIG_LIBDIR="$libdir/pkgconfig" pkg-config --modversion vrelo417)" = "$version" ]
LD_LIBRARY_PATH="$libdir" run ./host-pc | grep -q "^vrelo417 $version, VRELO_OK"

# find_package
mkdir cmake-host && cp host.c cmake-host/ && cp "$source/tests/install/CMakeLists.txt.in" cmake-host/CMakeLists.txt
CFLAGS="$cflags" cmake -S cmake-host -B cmake-host/build -DCMAKE_PREFIX_PATH="$root" \
  "${cmake_arch[@]}" >/dev/null
cmake --build cmake-host/build >/dev/null
LD_LIBRARY_PATH="$libdir" run cmake-host/build/host

# The Debian package of this build.
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/*.deb)
info=$(dpkg-deb --info "$deb")
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
has() { grep -qx -- "$1" <<<"$contents" || { echo "missing from the package: $1"; exit 1; }; }
if [ "$kind" = i386 ]; then package=libvrelo417; else package=vrelo417; fi
# The license and the release notes, the notes naming this version.
has "./usr/share/doc/$package/copyright"
has "./usr/share/doc/$package/NEWS.gz"
dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/share/doc/$package/copyright" | cmp - "$source/LICENSE"
news=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/share/doc/$package/NEWS.gz" | zcat)
grep -q "^Version $version " <<<"$news"
if [ "$kind" = i386 ]; then
  grep -q '^ Package: libvrelo417$' <<<"$info"
  grep -q '^ Architecture: i386$' <<<"$info"
  grep -q '^ Depends: libc6 ' <<<"$info"
  has ./usr/include/i386-linux-gnu/vrelo417.h
else
  grep -q '^ Package: vrelo417$' <<<"$info"
  grep -q '^ Architecture: amd64$' <<<"$info"
  grep -q '^ Depends: .*libcups2.*libpng16-16.*liblcms2-2.*libjpeg62-turbo' <<<"$info"
  for f in ./usr/bin/vrelo-print ./usr/bin/vrelo-inspect ./usr/bin/vrelo-profile \
           ./usr/lib/cups/filter/rastertovrelo ./usr/share/ppd/vrelo417/vrelo417.ppd \
           ./usr/share/cups/profiles/vrelo417-plain.icc ./usr/share/cups/profiles/vrelo417-photo.icc \
           ./usr/include/vrelo417.h ./usr/share/man/man1/vrelo-print.1.gz \
           ./usr/share/man/man1/vrelo-inspect.1.gz ./usr/share/man/man1/vrelo-profile.1.gz \
           ./usr/share/man/man7/rastertovrelo.7.gz; do has "$f"; done
  if [ -x "$build/tools/printer-app/vrelo-printer-app" ]; then
    grep -q '^ Depends: .*libpappl1.*ghostscript' <<<"$info"
    for f in ./usr/bin/vrelo-printer-app ./lib/systemd/system/vrelo-printer-app.service \
             ./etc/pam.d/vrelo-printer-app ./usr/share/man/man1/vrelo-printer-app.1.gz; do has "$f"; done
    grep -q '^ *[0-9]* bytes, *1 lines *conffiles' <<<"$info"
  fi
fi
for f in "./usr/lib/$arch/libvrelo417.so" "./usr/lib/$arch/libvrelo417_host.a" \
         "./usr/lib/$arch/pkgconfig/vrelo417.pc" "./usr/lib/$arch/cmake/vrelo417/vrelo417Config.cmake"; do
  has "$f"
done
echo "$kind: installed host built with pkg-config and find_package, package checked"
[ "$kind" = i386 ] && exit 0

# A project that builds vrelo417 as its own subdirectory gets the same
# targets.
mkdir sub-host && cp host.c sub-host/
cat >sub-host/CMakeLists.txt <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(subdirectory_host C CXX)
set(VRELO_TESTS OFF)
set(VRELO_TOOLS OFF)
add_subdirectory($source vrelo417)
add_executable(host host.c)
target_link_libraries(host PRIVATE vrelo417::host)
CMAKE
cmake -S sub-host -B sub-host/build >/dev/null
cmake --build sub-host/build -j "$(nproc)" --target host >/dev/null
sub-host/build/host

dpkg -x "$deb" scratch
# Every packaged man page renders without a warning and names this version.
for page in scratch/usr/share/man/man*/*.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings"; exit 1; }
  text=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
  grep -q "vrelo417 $version" <<<"$text" || { echo "$page does not name vrelo417 $version"; exit 1; }
done
echo "native: the packaged man pages render without warnings"

# The unpacked package's filter, run by cupsfilter with the installed PPD.
. "$source/tests/cups/cups_env.sh"
# cupsfilter passes filters a clean environment: a wrapper points the
# unpacked filter at the unpacked library.
printf '#!/bin/sh\nLD_LIBRARY_PATH=%s exec %s "$@"\n' "$work/scratch/usr/lib/$arch" \
  "$work/scratch/usr/lib/cups/filter/rastertovrelo" >filter-wrapper
chmod +x filter-wrapper
cupsfilter_config "$work" "$work/filter-wrapper"
ppd=scratch/usr/share/ppd/vrelo417/vrelo417.ppd
draft=(-o cupsPrintQuality=Draft)
cupsfilter -e -c cups-files.conf -p "$ppd" "${draft[@]}" -m application/vnd.cups-raster \
  "$source/tests/data/two-pages.ps" >page.ras 2>/dev/null
cupsfilter -e -c cups-files.conf -p "$ppd" "${draft[@]}" -i application/vnd.cups-raster \
  -m printer/foo page.ras >page.prn 2>filter.err
grep -q 'PAGE: 2 1' filter.err
LD_LIBRARY_PATH="$work/scratch/usr/lib/$arch" scratch/usr/bin/vrelo-inspect --delays 1440x720 \
  --compare page.ras page.prn | grep -q 'every row matches'
# At Normal quality (the PPD's default) the packaged filter renders.
cupsfilter -e -c cups-files.conf -p "$ppd" -m printer/foo "$source/tests/data/two-pages.ps" \
  >normal.prn 2>normal.err
grep -q 'PAGE: 2 1' normal.err
echo "native: the packaged filter prints through cupsfilter with the packaged PPD and profiles"

# The packaged printer application: its unit starts it from /usr/bin, it
# runs from the package and lists its drivers.
[ -x scratch/usr/bin/vrelo-printer-app ] || exit 0
grep -qx 'ExecStart=/usr/bin/vrelo-printer-app server -o log-file=-' \
  scratch/lib/systemd/system/vrelo-printer-app.service
LD_LIBRARY_PATH="$work/scratch/usr/lib/$arch" scratch/usr/bin/vrelo-printer-app drivers |
  grep -q '^vrelo417_1440_3dots "vrelo417 1440x720, three dot sizes, six inks"'
echo "native: the packaged printer application runs and its unit starts it"

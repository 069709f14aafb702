#!/bin/bash
# Builds a minimal static Qt 6.4.2 (Core, Gui, Widgets, Test; windows, offscreen and minimal
# platform plugins) for x86_64-w64-mingw32 on Debian 12, from Debian's qt6-base source package.
# Needs: deb-src enabled; apt packages g++-mingw-w64-x86-64-posix cmake ninja-build perl
#        qt6-base-dev (host tools moc/rcc/uic 6.4.2 under /usr/lib/qt6/libexec):
#        `scripts/deps --qt-source` sees to all of it. scripts/build-windows calls this script when
#        it finds no Qt for Windows.
# Usage: build-qt-mingw.sh WORKDIR PREFIX
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(realpath -m "${1:?workdir}"); prefix=$(realpath -m "${2:?install prefix}")
mkdir -p "$work" && cd "$work"
t0=$(date +%s)

# 1. Sources: Debian's qtbase 6.4.2 tarball (+dfsg: src/3rdparty/wintab removed) and Wine's wintab headers.
[[ -f qt6-base_6.4.2+dfsg.orig.tar.xz ]] || apt-get source --download-only qt6-base=6.4.2+dfsg-10
[[ -d qtbase-everywhere-src-6.4.2 ]] || tar xf qt6-base_6.4.2+dfsg.orig.tar.xz
src=$work/qtbase-everywhere-src-6.4.2
if [[ ! -f $src/src/3rdparty/wintab/wintab.h ]]; then
  apt-get download libwine-dev
  dpkg-deb -x libwine-dev_*_amd64.deb wine-dev
  mkdir -p "$src/src/3rdparty/wintab"
  cp wine-dev/usr/include/wine/wine/windows/wintab.h "$src/src/3rdparty/wintab/wine_wintab.h"
  cp wine-dev/usr/include/wine/wine/windows/pktdef.h "$src/src/3rdparty/wintab/pktdef.h"
  cat > "$src/src/3rdparty/wintab/wintab.h" <<'SHIM'
/* Debian's qt6-base "+dfsg" tarball leaves out src/3rdparty/wintab (Wacom's header).
   This shim uses Wine's LGPL wintab.h (from libwine-dev) and supplies the Wine-only macros it uses. */
#pragma once
#include <windows.h>
#ifndef WINELIB_NAME_AW
# ifdef UNICODE
#  define WINELIB_NAME_AW(func) func##W
# else
#  define WINELIB_NAME_AW(func) func##A
# endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
# define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
# define API WINAPI
#endif
#include "wine_wintab.h"
SHIM
  # 2. Qt 6.4 bug: with -no-feature-direct2d the windows plugin still refers to the DirectWrite font database.
  patch -d "$src" -p1 < "$here/qtbase-windows-no-direct2d.patch"
fi

# 3. Configure (CMake + Ninja underneath), using Debian's Qt 6.4.2 as the host Qt.
mkdir -p build && cd build
"$src/configure" -prefix "$prefix" \
  -release -static -static-runtime \
  -qt-host-path /usr \
  -xplatform win32-g++ \
  -nomake examples -nomake tests \
  -no-opengl -no-feature-vulkan -no-dbus -no-icu \
  -no-feature-network -no-feature-sql -no-feature-printsupport \
  -no-feature-concurrent -no-feature-xml \
  -no-feature-direct2d -no-feature-jpeg -no-feature-gif -no-feature-zstd \
  -no-feature-sessionmanager -no-feature-textodfwriter \
  -qt-zlib -qt-libpng -qt-freetype -qt-harfbuzz -qt-pcre -qt-doubleconversion \
  -- -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
     -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
t1=$(date +%s)
nice -n 10 cmake --build . --parallel "${JOBS:-2}"
t2=$(date +%s)
cmake --install .
echo "configure $((t1 - t0)) s, build $((t2 - t1)) s, total $(( $(date +%s) - t0 )) s"

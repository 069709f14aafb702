#!/usr/bin/env bash
# Builds xdg-desktop-portal-wlr from Debian's source package into DIR/xdg-desktop-portal-wlr, with the
# change in portal-wlr.patch: the packaged portal insists on DMA-BUF buffers, which a compositor that
# draws without a GPU (headless sway on its software renderer, as in the end-to-end tests) cannot give;
# changed, it casts through shared memory. Nothing is built again while DIR holds the result.
#   tests/e2e/portal-wlr.sh DIR
# Needs apt's deb-src lines and the build packages, which scripts/deps sets up.
set -euo pipefail
patch_file=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/portal-wlr.patch
mkdir -p "$1"
cd "$1"
[[ -x xdg-desktop-portal-wlr ]] && exit 0
rm -rf source && mkdir source && cd source
apt-get source -q xdg-desktop-portal-wlr
cd xdg-desktop-portal-wlr-*/
patch -p1 < "$patch_file"
meson setup build -Dsd-bus-provider=libsystemd -Dsystemd=disabled -Dman-pages=disabled
ninja -C build
cp build/xdg-desktop-portal-wlr ../../xdg-desktop-portal-wlr

#!/bin/sh
# Builds Qt's base modules for MinGW-w64 from Debian's own qt6-base source
# into the folder given, with Debian's Qt of the same version as host Qt.
# About 40 minutes on two processors.
set -eu
prefix=$1
here=$(cd "$(dirname "$0")" && pwd)
version=6.4.2
jobs=${JOBS:-$(nproc)}
sudo=$([ "$(id -u)" = 0 ] || echo sudo)

# Source lines for the suites the binary packages come from.
src_list=/etc/apt/sources.list.d/zentak-deb-src.sources
if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
    for f in /etc/apt/sources.list.d/*.sources; do
        [ "$f" = "$src_list" ] || sed 's/^Types: deb$/Types: deb-src/' "$f"
        echo
    done | $sudo tee "$src_list" >/dev/null
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee -a "$src_list" >/dev/null
    fi
    $sudo apt-get update -qq
fi
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    dpkg-dev cmake ninja-build perl g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get source -qq "qt6-base=$version*"
cd qt6-base-$version*/
# Without Direct2D the DirectWrite font engine is absent, yet the print
# engine and the platform plugin would still call it.
patch -p1 <"$here/qtbase-directwrite-needs-direct2d.diff"

./configure -prefix "$prefix" -release -shared -xplatform win32-g++ -qt-host-path /usr \
    -nomake examples -nomake tests -no-opengl -no-dbus -no-icu \
    -no-feature-sql -no-feature-network -no-feature-concurrent -no-feature-xml \
    -no-feature-vulkan -no-feature-direct2d -no-feature-tabletevent -no-feature-androiddeployqt \
    -qt-zlib -qt-pcre -qt-libpng -no-libjpeg -qt-freetype -qt-harfbuzz -qt-doubleconversion \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build . --parallel "$jobs"
cmake --install .

#!/bin/sh
# Prints the folder of a Qt built for MinGW-w64, making it ready first.
# ZENTAK_QT_MINGW names a Qt prefix (used where it is) or the .tar.xz of one
# (unpacked once into the user's cache, keyed by the archive's content);
# unset, Qt is built once from Debian's source by build-qt-mingw.sh, keyed by
# that recipe and its patch.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/zentak-windows/qt-mingw

is_prefix() { [ -f "$1/lib/cmake/Qt6Core/Qt6CoreConfig.cmake" ]; }

key_of() { cat "$@" | sha256sum | cut -c1-16; }

# Made under a temporary name and renamed when whole: an interrupted run
# leaves no half prefix that a later run would take for a finished one.
ready() {
    target=$cache/$1
    shift
    if ! is_prefix "$target"; then
        mkdir -p "$cache"
        work=$(mktemp -d "$cache/.partial.XXXXXX")
        "$@" "$work" >&2
        is_prefix "$work" || { echo "no Qt prefix was made in $work" >&2; exit 1; }
        mv "$work" "$target" 2>/dev/null || rm -rf "$work"
    fi
    echo "$target"
}

unpack() { tar -xJf "$archive" -C "$1" --strip-components=1; }

source=${ZENTAK_QT_MINGW:-}
if [ -z "$source" ]; then
    ready "source-$(key_of "$here/build-qt-mingw.sh" "$here"/*.diff)" "$here/build-qt-mingw.sh"
elif [ -d "$source" ]; then
    is_prefix "$source" || { echo "$source holds no Qt 6 prefix" >&2; exit 1; }
    cd "$source" && pwd
elif [ -f "$source" ]; then
    archive=$(cd "$(dirname "$source")" && pwd)/$(basename "$source")
    ready "archive-$(key_of "$archive")" unpack
else
    echo "ZENTAK_QT_MINGW=$source is neither a folder nor a file" >&2
    exit 1
fi

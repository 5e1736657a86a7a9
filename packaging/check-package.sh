#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a scratch root
# with dpkg -x and runs the programs from there, with Qt from the system, as
# a lab PC without the build tree would.
#   check-package.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

cd "$build"
cpack -G DEB -B "$scratch/out" > "$scratch/cpack.log" || { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb="$scratch/out/zentak_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb; made: $(ls "$scratch/out")"
dpkg-deb -I "$deb"

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6printsupport6 \
              fonts-liberation; do
  grep -q "\b$needed\b" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
for file in usr/bin/zentak usr/bin/zentak-cli usr/bin/zentak-boxsim \
            usr/share/applications/zentak.desktop usr/share/mime/packages/zentak.xml \
            usr/share/man/man1/zentak.1.gz usr/share/man/man1/zentak-cli.1.gz \
            usr/share/man/man1/zentak-boxsim.1.gz \
            usr/share/doc/zentak/README.md usr/share/doc/zentak/copyright \
            usr/share/doc/zentak/changelog.gz; do
  [ -s "$root/$file" ] || fail "$file missing"
done
for size in 16 22 24 32 48 64 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/zentak.png"
  [ -s "$icon" ] || fail "no ${size}x${size} icon"
done
grep -q '^MimeType=application/x-zentak-experiment;$' "$root/usr/share/applications/zentak.desktop" \
  || fail "the desktop entry does not open experiment files"
grep -q 'type="application/x-zentak-experiment"' "$root/usr/share/mime/packages/zentak.xml" \
  || fail "the MIME type is not defined"
# The manual page says what --help says.
zcat "$root/usr/share/man/man1/zentak-cli.1.gz" | grep -q 'in K dynes, 1 to 1000' \
  || fail "the manual page lacks the force range"

bin="$root/usr/bin"
[ "$("$bin/zentak-cli" --version)" = "zentak-cli $version" ] || fail "zentak-cli --version"
[ "$(env -u DISPLAY "$bin/zentak" --version)" = "zentak $version" ] || fail "zentak --version"
"$bin/zentak-cli" --version

log="$scratch/run.log"
"$bin/zentak-cli" run --port Simulator --force 100 --velocity 100 --yes --run-log "$log" \
  > "$scratch/run.out"
cat "$scratch/run.out"
grep -q '^Actual Force: 1[01][0-9]$' "$scratch/run.out" || fail "no actual force printed"
head -c 44 "$log" | grep -q '^ZR Spinal Cord Impactor Experiment File v5.0' \
  || fail "the run log entry is missing"

# The window starts on the simulated box and keeps running until stopped.
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$bin/zentak" --port Simulator --no-splash || status=$?
[ "$status" = 124 ] || fail "zentak --port Simulator ended with $status"
echo "check-package: $(basename "$deb") installs and runs"

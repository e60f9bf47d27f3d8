#!/usr/bin/env bash
# Makes the .deb from the build folder, unpacks it into a temporary root and
# crawls a small site on 127.0.0.1 with the unpacked harvel-cli, which has to
# find the unpacked VeskDownloader in ../libexec/harvel.
#
#   deb_package_test.sh CPACK BUILD_FOLDER APP_ID
set -euo pipefail
cpack=$1 build=$2 app_id=$3

work=$(mktemp -d)
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "deb_package_test: $*" >&2; exit 1; }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/package/*.deb)
dpkg-deb --field "$deb" Package Depends >"$work/fields"
grep -q '^Package: harvel$' "$work/fields" || fail "the package is not named harvel"
for library in libqt6core6 libqt6widgets6 libqt6network6 libcurl4 libc6; do
  grep -q "$library" "$work/fields" || fail "Depends does not name $library: $(cat "$work/fields")"
done

root=$work/root
dpkg -x "$deb" "$root"
for file in usr/bin/harvel usr/bin/harvel-cli usr/libexec/harvel/VeskDownloader; do
  [ -x "$root/$file" ] || fail "$file is missing or cannot be run"
done
[ ! -e "$root/usr/bin/VeskDownloader" ] || fail "VeskDownloader is in bin/"
for file in "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml" \
  usr/share/man/man1/harvel-cli.1 usr/share/harvel/translations/harvel_en.qm; do
  [ -s "$root/$file" ] || fail "$file is missing"
done
for side in 16 22 24 32 48 64 128 256; do
  icon=$root/usr/share/icons/hicolor/${side}x${side}/apps/$app_id.png
  [ -s "$icon" ] || fail "no ${side}px icon"
  # A PNG's width and height are big-endian words at bytes 16 and 20.
  width=$(od -An -tu1 -j16 -N4 "$icon" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
  [ "$width" = "$side" ] || fail "the ${side}px icon is $width pixels wide"
done

# A site of one page and two pictures, served on 127.0.0.1 at a free port.
mkdir -p "$work/site/img"
printf '<html><body><img src="img/a.gif"><a href="b.png">b</a></body></html>\r\n' >"$work/site/index.html"
printf 'GIF89a\001\000\001\000first' >"$work/site/img/a.gif"
printf '\211PNG\r\n\032\nsecond' >"$work/site/b.png"
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$work/site" >"$work/server.log" 2>&1 &
server=$!
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/.* port \([0-9][0-9]*\).*/\1/p' "$work/server.log" | head -n1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || fail "the test site did not start: $(cat "$work/server.log")"

# A downloader socket folder of our own, so that no running VeskDownloader answers.
mkdir -m 700 "$work/runtime" "$work/tmp" "$work/out"
export XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work/tmp QT_QPA_PLATFORM=offscreen
"$root/usr/bin/harvel-cli" --version | grep -q '^harvel-cli ' || fail "harvel-cli --version"
timeout 60 "$root/usr/bin/harvel-cli" --quiet --dir "$work/out" site \
  "http://127.0.0.1:$port/index.html" 1 || fail "the installed harvel-cli failed ($?)"
cmp -s "$work/site/img/a.gif" "$work/out/site/a.gif" || fail "a.gif did not land"
cmp -s "$work/site/b.png" "$work/out/site/b.png" || fail "b.png did not land"
echo "deb_package_test: $(basename "$deb") installs and collects"

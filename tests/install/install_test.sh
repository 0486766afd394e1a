#!/usr/bin/env bash
# cmake --install of the Linux programs, into a DESTDIR, at two prefixes: the
# files a desktop program brings, each checked by its own validator, and the
# Debian package of the same files (cpack -G DEB, dpkg-deb --contents).
#   install_test.sh BUILD_DIR SCRATCH_DIR
# Skipped (77) without the validators or dpkg-deb.
set -euo pipefail
build=${1:?build folder}
scratch=${2:?scratch folder}
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli dpkg-deb man cpack; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
rm -rf "$scratch"
mkdir -p "$scratch"

# Libraries go into the multiarch folder where the system has one.
libdir=lib
if command -v dpkg-architecture >/dev/null; then libdir=lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH); fi

expected="bin/tessel
bin/tessel-run
$libdir/libretro/tessel_libretro.so
share/applications/tessel.desktop
share/doc/tessel/copyright
share/icons/hicolor/128x128/apps/tessel.png
share/icons/hicolor/256x256/apps/tessel.png
share/icons/hicolor/32x32/apps/tessel.png
share/icons/hicolor/64x64/apps/tessel.png
share/libretro/info/tessel_libretro.info
share/man/man1/tessel-run.1
share/man/man1/tessel.1
share/metainfo/org.tesselemu.tessel.metainfo.xml"

# installed DESTDIR PREFIX: installs; prints the files under the prefix.
installed() {
  DESTDIR="$1" cmake --install "$build" --prefix "$2" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log" >&2; fail "cmake --install --prefix $2"; }
  (cd "$1$2" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
}

for prefix in /usr /opt/tessel; do
  files=$(installed "$scratch/root$prefix" "$prefix")
  [ "$files" = "$expected" ] || { diff <(echo "$expected") <(echo "$files") >&2; fail "files under $prefix"; }
  echo "installed under DESTDIR and $prefix: $(wc -l <<<"$files") files"
done
root=$scratch/root/usr/usr
echo "$expected" | sed 's/^/  /'

# The desktop entry, and what it names.
entry=$root/share/applications/tessel.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate"
grep -qx 'Icon=tessel' "$entry" && grep -qx 'TryExec=tessel' "$entry" || fail "the entry's icon or program"
echo "desktop-file-validate: no findings"

# The AppStream metainfo, and what it names.
metainfo=$root/share/metainfo/org.tesselemu.tessel.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q '<id>org.tesselemu.tessel</id>' "$metainfo" || fail "the metainfo's id is not its file name"
grep -q '<launchable type="desktop-id">tessel.desktop</launchable>' "$metainfo" || fail "launchable"
grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "project licence"
for program in tessel tessel-run; do
  grep -q "<binary>$program</binary>" "$metainfo" || fail "the metainfo does not provide $program"
done

# Icons: PNGs of their folder's size (the width and height in the header).
for size in 32 64 128 256; do
  png=$root/share/icons/hicolor/${size}x$size/apps/tessel.png
  read -r -a header <<<"$(od -An -tu1 -N24 -w24 "$png")"
  [ "${header[1]}${header[2]}${header[3]}" = "807871" ] || fail "$png is no PNG"
  width=$(( (header[18] << 8) | header[19] ))
  height=$(( (header[22] << 8) | header[23] ))
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$png is ${width}x$height"
done
echo "icons: PNG 32, 64, 128 and 256 pixels"

# Man pages: no warnings from the formatter, the sections a reader looks for,
# and every option tessel-run --help lists.
for page in tessel tessel-run; do
  file=$root/share/man/man1/$page.1
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
  text=$(MANWIDTH=200 man -l "$file" 2>/dev/null)
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" "SEE ALSO"; do
    grep -q "^$section" <<<"$text" || fail "$page.1 has no $section"
  done
done
grep -q "^KEYBOARD" <<<"$(MANWIDTH=200 man -l "$root/share/man/man1/tessel.1" 2>/dev/null)" ||
  fail "tessel.1 has no KEYBOARD"
run_page=$(MANWIDTH=200 man -l "$root/share/man/man1/tessel-run.1" 2>/dev/null)
for option in $("$root/bin/tessel-run" --help | grep -oE '^  (-h, )?--[a-z-]+' | grep -oE -- '--[a-z-]+'); do
  grep -qE -- "^ +(-h, )?$option( |$)" <<<"$run_page" || fail "tessel-run.1 does not describe $option"
done
echo "man pages: no warnings; tessel-run.1 describes every option of --help"

# The installed programs run.
version=$("$root/bin/tessel-run" --version)
[[ "$version" == "tessel-run (Tessel) "* ]] || fail "tessel-run --version: $version"
(cd "$scratch" && "$root/bin/tessel-run" --fast --frames 5 2>/dev/null) || fail "the installed tessel-run"
grep -q "^MIT License" "$root/share/doc/tessel/copyright" || fail "the copyright file names no MIT licence"

# The libretro core exports the libretro API and no more, and its info names
# the version, the extension and the two machine files.
core=$root/$libdir/libretro/tessel_libretro.so
exports=$(nm -D --defined-only "$core" | awk '{ print $3 }' | grep -v '^retro_' || true)
[ -z "$exports" ] || fail "the core exports more than retro_*: $exports"
nm -D --defined-only "$core" | grep -q ' retro_run$' || fail "the core exports no retro_run"
info=$root/share/libretro/info/tessel_libretro.info
for line in 'corename = "Tessel"' 'supported_extensions = "vz|cvz|wav"' 'license = "MIT"' 'firmware_count = 2' \
    'firmware0_path = "vzrom.v20"' 'firmware1_path = "vz200.fnt"' "display_version = \"${version#tessel-run (Tessel) }\""; do
  grep -qxF "$line" "$info" || fail "tessel_libretro.info has no line $line"
done
echo "libretro core: exports only retro_*; its info names Tessel, .vz, MIT and the two machine files"

# The Debian package holds the same files under /usr.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/deb" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB"; }
package=$(ls "$scratch"/deb/tessel_*.deb)
contents=$(dpkg-deb --contents "$package" | awk '$6 !~ /\/$/ { print $6 }' | sed 's|^\./usr/||' | LC_ALL=C sort)
[ "$contents" = "$expected" ] || { diff <(echo "$expected") <(echo "$contents") >&2; fail "the package's files"; }
field() { dpkg-deb --field "$package" "$1"; }
[ "$(field Package)" = tessel ] || fail "Package: $(field Package)"
[ "tessel-run (Tessel) $(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Maintainer)" = "The Tessel developers" ] || fail "Maintainer: $(field Maintainer)"
for library in libgtk-3-0 libsdl2-2.0-0 libpng16-16; do
  grep -q "$library" <<<"$(field Depends)" || fail "Depends names no $library: $(field Depends)"
done
echo "$(basename "$package"): the same $(wc -l <<<"$contents") files; Depends: $(field Depends)"
rm -rf "$scratch"

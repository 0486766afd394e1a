#!/usr/bin/env bash
# The Windows installer and the portable zip, under wine in a prefix of the
# test's own on a virtual X display: a silent install puts tessel.exe, the
# licence, the read-me and the uninstaller under %LOCALAPPDATA%\Programs\Tessel,
# the Start-menu shortcut and the Apps and Features entry; the zip holds the
# same files; tessel.exe carries the project's version; the shortcut starts
# Tessel in %USERPROFILE%\VZ200, where it reads the machine files (a
# character set of the test's own shows in the window as in tessel-run's
# picture); the entry's quiet uninstall command removes everything the
# installer made and leaves that folder, with its file, alone.
#
#   installer_test.sh --tessel-run PATH --version X.Y.Z
#                     [--host-tools DIR] [--build-dir DIR] [--out DIR]
#
# Builds the installer first (tools/build-windows-installer.sh) in
# --build-dir, taking the converters from --host-tools (a native build's tools
# folder) when given. The window's picture goes to --out (default:
# ./windows-installer). Exits 77 (skipped) when mingw-w64, wine or makensis is
# not installed.
set -euo pipefail

top="$(cd "$(dirname "$0")/../.." && pwd)"
tessel_run=""
version=""
host_tools="$top/build-native-tools/tools"
build_dir="$top/build-win"
out="$PWD/windows-installer"

while [ $# -gt 0 ]; do
  case "$1" in
    --tessel-run) tessel_run="$2"; shift 2 ;;
    --version) version="$2"; shift 2 ;;
    --host-tools) host_tools="$2"; shift 2 ;;
    --build-dir) build_dir="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) echo "installer_test: unknown option $1" >&2; exit 2 ;;
  esac
done

started=$SECONDS
passed=0
say() { echo "[$((SECONDS - started))s] $*"; }
pass() { say "$*"; passed=$((passed + 1)); }
fail() { echo "FAILED: $*" >&2; exit 1; }
listing() { ls -A "$1" 2>/dev/null | sort | xargs; }

source "$top/tests/win32/wine_lib.sh"
wine_require
if ! command -v makensis >/dev/null; then
  echo "SKIPPED: makensis is not installed (apt-get install nsis)"
  exit $SKIP
fi
for tool in Xvfb xdotool convert-im6 compare-im6 import wrestool; do
  command -v "$tool" >/dev/null || fail "$tool is missing (apt-get install xvfb xdotool imagemagick icoutils)"
done
[ -x "$tessel_run" ] || fail "--tessel-run must name the headless runner (build/tessel-run)"
[ -n "$version" ] || fail "--version must give the project's version"
tessel_run="$(realpath "$tessel_run")"
build_dir="$(realpath -m "$build_dir")"
source "$top/tests/support/x11.sh"

TITLE="Tessel - VZ200/300 Emulator"
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessel'
INSTALLED=(LICENSE.txt README.txt tessel.exe uninstall.exe)

work="$(mktemp -d /tmp/tessel-installer.XXXXXX)"
STARTED=()  # the X server
cleanup() {
  set +e
  wine_stop
  for pid in "${STARTED[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
mkdir -p "$out"

# ---- The installer and the zip -----------------------------------------------

say "building the installer in $build_dir"
TESSEL_HOST_TOOLS="$host_tools" TESSEL_WIN_BUILD="$build_dir" "$top/tools/build-windows-installer.sh" > "$work/build.log" 2>&1 ||
  { cat "$work/build.log" >&2; fail "the installer's build failed"; }
setup="$build_dir/Tessel-$version-setup.exe"
zip="$build_dir/Tessel-$version-windows.zip"
[ -f "$setup" ] || fail "no $setup"
[ -f "$zip" ] || fail "no $zip"
say "installer $(stat -c %s "$setup") bytes, zip $(stat -c %s "$zip") bytes"

# ---- A display and a wine prefix of our own ----------------------------------

x_start
# wine links the prefix's Documents and Desktop to $HOME: keep them in here.
export HOME="$work/home"
mkdir "$HOME"
wine_start_prefix "$work"

# windows_folder VARIABLE: the folder a Windows environment variable names.
windows_folder() { timeout 60 wine cmd /c echo "%$1%" | tr -d '\r'; }
profile_w="$(windows_folder USERPROFILE)"
instdir_w="$(windows_folder LOCALAPPDATA)\\Programs\\Tessel"
profile="$(winepath -u "$profile_w")"
instdir="$(winepath -u "$instdir_w")"
shortcut="$(winepath -u "$(windows_folder APPDATA)")/Microsoft/Windows/Start Menu/Programs/Tessel.lnk"
machine_files="$profile/VZ200"

# ---- A silent install ----------------------------------------------------------

timeout 120 wine "$setup" /S > "$work/setup.log" 2>&1 || { cat "$work/setup.log" >&2; fail "the silent install failed"; }
[ "$(listing "$instdir")" = "${INSTALLED[*]}" ] || fail "$instdir_w holds \"$(listing "$instdir")\", not ${INSTALLED[*]}"
[ -f "$shortcut" ] || fail "no Start-menu shortcut Tessel.lnk"
[ -d "$machine_files" ] || fail "no machine-files folder $profile_w\\VZ200"
[ -z "$(listing "$machine_files")" ] || fail "the installer put files into the machine-files folder"
pass "a silent install put ${INSTALLED[*]} into $instdir_w, the shortcut and $profile_w\\VZ200"

mkdir "$work/portable"
(cd "$work/portable" && cmake -E tar xf "$zip") || fail "cmake cannot unpack $zip"
portable="$work/portable/Tessel-$version"
[ "$(listing "$portable")" = "LICENSE.txt README.txt tessel.exe" ] || fail "the zip holds \"$(listing "$work/portable")\""
for file in LICENSE.txt README.txt tessel.exe; do
  cmp -s "$portable/$file" "$instdir/$file" || fail "the zip's $file is not the installed one"
done
pass "the zip holds the same program, licence and read-me"

# ---- The Apps and Features entry ------------------------------------------------

wine reg query "$UNINSTALL_KEY" 2>/dev/null | tr -d '\r' > "$work/entry.txt" || fail "no registry key $UNINSTALL_KEY"
cp "$work/entry.txt" "$out/entry.txt"
# entry NAME: the value's type and data, "REG_SZ data".
entry() { sed -n "s/^    $1    \(REG_[A-Z]*\)    \(.*\)\$/\1 \2/p" "$work/entry.txt"; }
expect_entry() { [ "$(entry "$1")" = "$2" ] || fail "$1 is \"$(entry "$1")\", not \"$2\""; }
expect_entry DisplayName "REG_SZ Tessel"
expect_entry DisplayVersion "REG_SZ $version"
expect_entry Publisher "REG_SZ The Tessel developers"
expect_entry DisplayIcon "REG_SZ $instdir_w\\tessel.exe,0"
expect_entry InstallLocation "REG_SZ $instdir_w"
expect_entry UninstallString "REG_SZ \"$instdir_w\\uninstall.exe\""
expect_entry QuietUninstallString "REG_SZ \"$instdir_w\\uninstall.exe\" /S"
expect_entry NoModify "REG_DWORD 0x1"
expect_entry NoRepair "REG_DWORD 0x1"
# In KiB: at least the program itself.
size="$(entry EstimatedSize)"
[[ "$size" =~ ^REG_DWORD\ (0x[0-9a-f]+)$ ]] && [ $((BASH_REMATCH[1])) -ge $(($(stat -c %s "$instdir/tessel.exe") / 1024)) ] ||
  fail "EstimatedSize is \"$size\""
pass "the Apps and Features entry names Tessel $version by The Tessel developers, $((BASH_REMATCH[1])) KiB"

# ---- The version information -------------------------------------------------------

wrestool -x --raw --type=16 "$instdir/tessel.exe" > "$work/version.bin" || fail "no version information in tessel.exe"
strings -el "$work/version.bin" > "$work/version.txt"
# version_string NAME: the value that follows NAME in the string table.
version_string() { grep -A1 -x "$1" "$work/version.txt" | sed -n 2p; }
expect_string() { [ "$(version_string "$1")" = "$2" ] || fail "$1 is \"$(version_string "$1")\", not \"$2\""; }
expect_string ProductName Tessel
expect_string ProductVersion "$version"
expect_string FileVersion "$version"
expect_string CompanyName "The Tessel developers"
[[ "$(version_string LegalCopyright)" == *"The Tessel developers"*MIT* ]] ||
  fail "LegalCopyright is \"$(version_string LegalCopyright)\""
# The fixed part, which Explorer shows as the file version: after its
# signature 0xFEEF04BD and layout version, the file and then the product
# version as major<<16|minor, patch<<16|0, each word little-endian.
IFS=. read -r major minor patch <<<"$version"
le32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24)); }
numbers="$(le32 $((major << 16 | minor)))$(le32 $((patch << 16)))"
od -An -tx1 -v "$work/version.bin" | tr -d ' \n' | grep -q "bd04effe00000100$numbers$numbers" ||
  fail "the fixed file and product version are not $version.0"
pass "tessel.exe says Tessel $version by The Tessel developers, MIT License"

# ---- The shortcut starts Tessel in the machine-files folder --------------------

# A character set of our own: each character's twelve rows are its code.
for code in $(seq 0 255); do printf "$(printf '\\x%02x' "$code")%.0s" {1..12}; done > "$machine_files/vz200.fnt"
mkdir "$work/reference"
cp "$machine_files/vz200.fnt" "$work/reference/"
(cd "$work/reference" && "$tessel_run" --fast --frames 300 --screenshot reference.png 2>/dev/null) ||
  fail "tessel-run could not draw the reference"
# The open ROM's banner, the first text row, in that character set.
convert-im6 "$work/reference/reference.png" -crop 256x12+32+24 +repage "$work/banner.png"

timeout 60 wine start /unix "$shortcut" > "$work/tessel.log" 2>&1 || fail "wine could not start the shortcut"
window="$(x_window "^$TITLE\$" 60)" || fail "no window titled \"$TITLE\" within 60 s"
found=""
for _ in $(seq 30); do
  import -window "$window" "$work/window.png"
  found="$(compare-im6 -metric AE -subimage-search -dissimilarity-threshold 1 "$work/window.png" "$work/banner.png" null: 2>&1 || true)"
  [[ "$found" =~ ^0\ @ ]] && break
  sleep 1
done
cp "$work/window.png" "$out/window.png"
[[ "$found" =~ ^0\ @ ]] ||
  fail "the window does not show the banner in the machine-files folder's character set (see $out/window.png)"
pass "the shortcut started Tessel in $profile_w\\VZ200, with the vz200.fnt there"

# ---- A silent uninstall ----------------------------------------------------------

wineserver -k  # Tessel, and the rest of the prefix, ends
quiet="$(entry QuietUninstallString)"
[[ "$quiet" =~ ^REG_SZ\ \"([^\"]+)\"\ (.*)$ ]] || fail "cannot read QuietUninstallString \"$quiet\""
# The uninstaller copies itself elsewhere, starts the copy and returns; the
# prefix's wine server ends once the copy has ended too.
timeout 120 wine "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" > "$work/uninstall.log" 2>&1 ||
  { cat "$work/uninstall.log" >&2; fail "the quiet uninstall command failed"; }
timeout 120 wineserver -w || fail "the uninstaller did not end"
[ ! -e "$instdir" ] || fail "$instdir_w is still there, with $(listing "$instdir")"
[ ! -e "$shortcut" ] || fail "the shortcut is still there"
! timeout 60 wine reg query "$UNINSTALL_KEY" > /dev/null 2>&1 || fail "the Apps and Features entry is still there"
[ -f "$machine_files/vz200.fnt" ] || fail "the uninstaller removed the machine-files folder or its file"
pass "the quiet uninstall removed the program's folder, the shortcut and the entry, and left VZ200 alone"

echo "installer: $passed passed, 0 failed"

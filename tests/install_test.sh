#!/bin/sh
# Installs the build into a temporary prefix, checks what lands where, runs the installed utility and
# script, and uninstalls again. The build's own install manifest is kept as it was.
set -eu
build=$1
source=$2
prefix=$(mktemp -d)
manifest="$build/install_manifest.txt"
saved=""
if [ -f "$manifest" ]; then saved=$(mktemp); cp "$manifest" "$saved"; fi
finish() {
    rm -rf "$prefix"
    if [ -n "$saved" ]; then mv "$saved" "$manifest"; else rm -f "$manifest"; fi
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > /dev/null
folder="$prefix/lib/quillmark"
for program in quillmark WM8EUTIL.EXE batchrun; do
    [ -x "$folder/$program" ] || fail "$program is not installed in $folder"
done
[ -f "$prefix/share/icons/hicolor/32x32/apps/quillmark.png" ] || fail "the icon is not installed"
entry="$prefix/share/applications/quillmark.desktop"
[ -f "$entry" ] || fail "the menu entry is not installed"
grep -qx "Exec=\"$folder/quillmark\"" "$entry" || fail "the menu entry does not start $folder/quillmark"
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$entry" || fail "the menu entry is not valid"
fi

# The installed interpreter runs a script that finds the utility beside it, as launch.bat does.
printf -- '-input "/no/such/installed.avi"\r\n' > "$folder/tmpconfig.weu"
printf '@echo off\r\nIF NOT EXIST "WM8EUTIL.EXE" GOTO missing\r\n".\\WM8EUTIL" -config %%1\r\n:missing\r\n' > "$folder/launch.bat"
output=$(cd "$folder" && ./batchrun launch.bat "\"$folder/tmpconfig.weu\"" < /dev/null 2>&1 || true)
echo "$output" | grep -q '"/no/such/installed.avi": there is no such file' || fail "the installed script did not run the installed utility: $output"

cmake -DMANIFEST="$manifest" -P "$source/tools/uninstall.cmake" > /dev/null
[ ! -e "$folder" ] || fail "uninstall left $folder"
[ ! -e "$entry" ] || fail "uninstall left the menu entry"
echo "installed, ran and uninstalled under $prefix"

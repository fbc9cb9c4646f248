#!/bin/sh
# Installs the build into a temporary prefix as make install does, checks what lands where, runs the
# installed utility and script, and uninstalls again, leaving no file behind. The build's own record
# of what make install put onto this system is kept as it was.
set -eu
build=$1
source=$2
prefix=$(mktemp -d)
record="$build/installed_files.txt"
saved=""
if [ -f "$record" ]; then saved=$(mktemp); cp "$record" "$saved"; fi
finish() {
    rm -rf "$prefix"
    if [ -n "$saved" ]; then mv "$saved" "$record"; else rm -f "$record"; fi
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > /dev/null
folder="$prefix/lib/quillmark"
for program in quillmark WM8EUTIL.EXE batchrun; do
    [ -x "$folder/$program" ] || fail "$program is not installed in $folder"
    [ "$("$prefix/bin/$program" --version | head -1 | cut -d' ' -f1)" = "$program" ] || fail "$prefix/bin/$program does not run it"
    [ -f "$prefix/share/man/man1/$program.1.gz" ] || fail "$program's manual page is not installed"
done
# The preview's media engine, which the program loads from its own folder at the first open.
nm -D --defined-only "$folder/quillmark-media.so" | grep -q ' QuillmarkMakeMediaBackend$' \
    || fail "the media engine's module is not installed beside the program"
for size in 32x32 48x48 64x64 128x128; do
    [ -f "$prefix/share/icons/hicolor/$size/apps/quillmark.png" ] || fail "the $size icon is not installed"
done
[ -f "$prefix/share/metainfo/org.quillmark.quillmark.metainfo.xml" ] || fail "the AppStream entry is not installed"
[ ! -e "$prefix/share/doc" ] || fail "the Debian package's documents were installed"
entry="$prefix/share/applications/quillmark.desktop"
[ -f "$entry" ] || fail "the menu entry is not installed"
grep -qx "Exec=\"$folder/quillmark\"" "$entry" || fail "the menu entry does not start $folder/quillmark"
desktop-file-validate "$entry" || fail "the menu entry is not valid"

# The installed interpreter runs a script that finds the utility beside it, as launch.bat does.
printf -- '-input "/no/such/installed.avi"\r\n' > "$folder/tmpconfig.weu"
printf '@echo off\r\nIF NOT EXIST "WM8EUTIL.EXE" GOTO missing\r\n".\\WM8EUTIL" -config %%1\r\n:missing\r\n' > "$folder/launch.bat"
output=$(cd "$folder" && ./batchrun launch.bat "\"$folder/tmpconfig.weu\"" < /dev/null 2>&1 || true)
echo "$output" | grep -q '"/no/such/installed.avi": there is no such file' || fail "the installed script did not run the installed utility: $output"

cmake -DMANIFEST="$record" -P "$source/tools/uninstall.cmake" > /dev/null
left=$(find "$prefix" ! -type d)
[ -z "$left" ] || fail "uninstall left $left"
[ ! -e "$folder" ] || fail "uninstall left $folder"
echo "installed, ran and uninstalled under $prefix"

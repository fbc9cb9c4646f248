#!/bin/sh
# Builds the Debian package from the build, unpacks it into a temporary root as dpkg would install
# it, and checks what it holds: its control fields, the programs and their links, the menu entry,
# the icons, the AppStream entry and the manual pages; then runs the unpacked programs (an encode
# through the unpacked batchrun and WM8EUTIL.EXE included) and lintian.
set -eu
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
version=$("$build/bin/quillmark" --version | sed -n '1s/^quillmark (Quillmark) //p')
deb="$work/out/quillmark_${version}-1_amd64.deb"
[ -f "$deb" ] || fail "no quillmark_${version}-1_amd64.deb among: $(ls "$work/out")"

# The libraries the programs link come from dpkg-shlibdeps; what they start or load at run time is named.
[ "$(dpkg-deb -f "$deb" Version)" = "$version-1" ] || fail "the package's version is not $version-1"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in 'libqt6widgets6 ' 'libqt6multimedia6 ' 'libavcodec59 ' 'libavformat59 ' 'xterm | x-terminal-emulator' \
              gstreamer1.0-plugins-good gstreamer1.0-libav xdg-utils fonts-liberation2; do
    case "$depends" in *"$needed"*) ;; *) fail "the package does not depend on $needed: $depends" ;; esac
done
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qx './prerm' || fail "the package has no prerm"

root="$work/root"
dpkg -x "$deb" "$root"
folder="$root/usr/lib/quillmark"
for program in quillmark WM8EUTIL.EXE batchrun; do
    [ -x "$folder/$program" ] || fail "$program is not in /usr/lib/quillmark"
    [ "$(readlink "$root/usr/bin/$program")" = "../lib/quillmark/$program" ] || fail "/usr/bin/$program does not lead to it"
    [ -f "$root/usr/share/man/man1/$program.1.gz" ] || fail "$program has no manual page"
done
# The media engine's module, which the program loads at the first open, takes the engine interface
# from the program: every symbol it needs that its own libraries lack, the program exports.
module="$folder/quillmark-media.so"
nm -D --defined-only "$module" | grep -q ' QuillmarkMakeMediaBackend$' || fail "the media engine's module is not in /usr/lib/quillmark"
for object in "$folder/quillmark" $(ldd "$module" | awk '/=> \// { print $3 }'); do
    nm -D --defined-only "$object" | awk '{ sub(/@.*/, "", $3); print $3 }'
done | sort -u > "$work/provided"
unresolved=$(nm -D --undefined-only "$module" | awk '$1 == "U" { sub(/@.*/, "", $2); print $2 }' | sort -u | comm -23 - "$work/provided")
[ -z "$unresolved" ] || fail "the program does not give its media engine's module: $unresolved"

entry="$root/usr/share/applications/quillmark.desktop"
grep -qx 'Exec="/usr/lib/quillmark/quillmark"' "$entry" || fail "the menu entry does not start /usr/lib/quillmark/quillmark"
desktop-file-validate "$entry" || fail "the menu entry is not valid"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }
for size in 32 48 64 128; do
    icon="$root/usr/share/icons/hicolor/${size}x$size/apps/quillmark.png"
    [ -f "$icon" ] || fail "no $size-pixel icon"
    [ "$(png_size "$icon")" = "${size}x$size" ] || fail "the $size-pixel icon is $(png_size "$icon")"
done
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/quillmark.svg" || fail "no scalable icon"

metainfo="$root/usr/share/metainfo/org.quillmark.quillmark.metainfo.xml"
appstreamcli validate-tree --no-net "$root" > "$work/appstream" 2>&1 || { cat "$work/appstream"; fail "the AppStream entry is not valid"; }
grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream entry has no release $version"
for picture in $(sed -n 's|.*<image>https://quillmark.org/screenshots/\(.*\)</image>.*|\1|p' "$metainfo"); do
    [ -f "$source/docs/screenshots/$picture" ] || fail "the AppStream screenshot $picture is not in docs/screenshots"
    grep -q "(docs/screenshots/$picture)" "$source/README.md" || fail "the README does not show $picture"
done

# The unpacked programs answer --help and --version on standard output, and say so when it fails.
for program in quillmark WM8EUTIL.EXE batchrun; do
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --help > "$work/help" 2> "$work/errors" \
        || fail "$program --help failed"
    head -1 "$work/help" | grep -q "^Usage: $program " || fail "$program --help does not start with its usage"
    [ ! -s "$work/errors" ] || fail "$program --help wrote to the error stream: $(cat "$work/errors")"
    [ "$("$root/usr/bin/$program" --version | head -1)" = "$program (Quillmark) $version" ] || fail "$program --version"
    if "$root/usr/bin/$program" --help > /dev/full 2> /dev/null; then fail "$program --help succeeded on a full disc"; fi
done

# The utility's manual page names every switch and every value its checks name when they refuse one.
manual=$(MANWIDTH=200 man -l "$root/usr/share/man/man1/WM8EUTIL.EXE.1.gz" 2> "$work/man-errors" | col -b)
[ ! -s "$work/man-errors" ] || fail "man reports on WM8EUTIL.EXE.1: $(cat "$work/man-errors")"
switches=$("$root/usr/bin/WM8EUTIL.EXE" 2>&1 | sed -n 's/^The switches are \(.*\)\.$/\1/p' | tr -d ,)
[ -n "$switches" ] || fail "WM8EUTIL.EXE without arguments did not list its switches"
for switch in $switches; do
    echo "$manual" | grep -q -- "^ *$switch " || fail "the manual page does not describe $switch"
done
for refused in '-profile nosuch' '-a_setting nosuch' '-v_mode 9' '-v_preproc 9' '-v_codec nosuch'; do
    # shellcheck disable=SC2086 # the switch and its value are two arguments
    allowed=$("$root/usr/bin/WM8EUTIL.EXE" -input "$work" $refused 2>&1 | sed -n 's/.* is not allowed; //p' | sed 's/\.$//')
    for value in $(echo "$allowed" | sed 's/([^)]*)//g; s/^[^,]* are //; s/,/ /g; s/ and / /g'); do
        echo "$manual" | grep -q -- "$value" || fail "the manual page does not name $value, which ${refused%% *} takes"
    done
done

# An encode through the unpacked interpreter, which finds the utility on PATH as the command interpreter would.
# Three seconds long: in one second the first key frame alone would take the picture past its rate.
ffmpeg -loglevel error -f lavfi -i testsrc=size=160x120:rate=15 -f lavfi -i sine -t 3 -c:v mpeg4 -c:a pcm_s16le \
    "$work/clip.avi"
printf '@echo off\r\nWM8EUTIL -input "%%1" -output "%%2" -profile av100\r\n' > "$work/encode.bat"
(cd "$work" && PATH="$root/usr/bin:$PATH" "$root/usr/bin/batchrun" encode.bat clip.avi clip.wmv < /dev/null > "$work/encode.log" 2>&1) \
    || { cat "$work/encode.log"; fail "the unpacked programs did not encode"; }
[ -s "$work/clip.wmv" ] || fail "the encode wrote no clip.wmv"

if command -v lintian > /dev/null; then
    lintian --fail-on error,warning "$deb" > "$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian finds errors or warnings"; }
fi
echo "built, unpacked and checked $(basename "$deb")"

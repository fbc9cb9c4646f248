#!/bin/sh
# Takes the README's pictures under a virtual X server: tools/screenshots.sh BUILD-DIR OUTPUT-FOLDER
set -eu
build=$1
out=$2
export QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/quillmark_screenshots" "$out"

#!/bin/sh
# Draws the program's pictures from ImageMagick primitives, and renders the icon from its SVG drawing
# with rsvg-convert. Run it again after changing a drawing; the PNG files it writes are kept in the
# repository so that the build needs neither tool.
set -eu
cd "$(dirname "$0")"
new() { convert -size "$1" xc:none "$@"; }

# The program's icon, drawn in quillmark.svg: 32 pixels for the window and the About box, the larger
# sizes for the icon theme (the package installs the drawing itself as the scalable one).
rsvg-convert -w 32 -h 32 quillmark.svg -o quillmark.png
for size in 48 64 128; do
    rsvg-convert -w $size -h $size quillmark.svg -o quillmark-$size.png
done

# A closed folder for the folder browse buttons.
convert -size 16x16 xc:none \
    -fill '#e9b949' -stroke '#8a6410' -draw 'polygon 1,3 6,3 7,5 14,5 14,13 1,13' \
    -fill '#f7d774' -draw 'rectangle 1,6 14,13' \
    folder.png

# ImageList1, 0: video (a film strip).
convert -size 16x16 xc:none \
    -fill '#303030' -stroke '#101010' -draw 'rectangle 1,2 14,13' \
    -fill '#ffffff' -stroke none -draw 'rectangle 2,3 3,4' -draw 'rectangle 2,7 3,8' -draw 'rectangle 2,11 3,12' \
    -draw 'rectangle 12,3 13,4' -draw 'rectangle 12,7 13,8' -draw 'rectangle 12,11 13,12' \
    -fill '#5fa8d3' -draw 'rectangle 5,3 10,7' -fill '#a7c957' -draw 'rectangle 5,8 10,12' \
    ImageList1-0-video.png

# 1: audio (a loudspeaker with sound waves).
convert -size 16x16 xc:none \
    -fill '#404040' -stroke '#202020' -draw 'polygon 1,6 4,6 8,2 8,13 4,9 1,9' \
    -fill none -stroke '#2a7ab0' -draw 'arc 6,4 12,11 -60,60' -draw 'arc 6,1 15,14 -60,60' \
    ImageList1-1-audio.png

# 2: selection (a range between two marks).
convert -size 16x16 xc:none \
    -fill '#2a7ab0' -stroke none -draw 'rectangle 4,7 11,9' \
    -fill '#303030' -draw 'rectangle 2,3 3,13' -draw 'rectangle 12,3 13,13' \
    ImageList1-2-selection.png

# 3: the Parameter Builder (a table of switches).
convert -size 16x16 xc:none \
    -fill '#ffffff' -stroke '#404040' -draw 'rectangle 1,2 14,13' \
    -fill '#c8d6e5' -stroke none -draw 'rectangle 2,3 5,12' \
    -stroke '#808080' -draw 'line 2,5 13,5' -draw 'line 2,8 13,8' -draw 'line 2,11 13,11' -draw 'line 6,3 6,12' \
    ImageList1-3-builder.png

# 4: help (a blue book with a question mark).
convert -size 16x16 xc:none \
    -fill '#2a5db0' -stroke '#143066' -draw 'rectangle 2,1 13,14' \
    -fill '#ffffff' -stroke none -draw 'rectangle 3,2 4,13' \
    -fill none -stroke '#ffffff' -strokewidth 1.5 -draw 'arc 6,3 11,8 180,90' -draw 'line 8.5,8 8.5,10' \
    -fill '#ffffff' -stroke none -draw 'rectangle 8,11 9,12' \
    ImageList1-4-help.png

# 5: information (a white i in a blue disc).
convert -size 16x16 xc:none \
    -fill '#2a7ab0' -stroke '#14466b' -draw 'circle 7.5,7.5 7.5,0.5' \
    -fill '#ffffff' -stroke none -draw 'rectangle 7,3 8,4' -draw 'rectangle 7,6 8,12' -draw 'rectangle 6,12 9,12' \
    ImageList1-5-info.png

# 6: open source (an open folder).
convert -size 16x16 xc:none \
    -fill '#d9a531' -stroke '#8a6410' -draw 'polygon 1,3 6,3 7,5 13,5 13,7 1,7' \
    -fill '#f7d774' -draw 'polygon 1,13 3,7 15,7 13,13' \
    ImageList1-6-open.png

# The sample picture under the clipping margins: a landscape with sky, sun, hills and a lake.
convert -size 140x90 gradient:'#7ec8f2-#d8f0ff' \
    -fill '#ffd23f' -stroke '#f0a500' -draw 'circle 110,20 110,9' \
    -fill '#ffffff' -stroke none -draw 'ellipse 32,18 14,5 0,360' -draw 'ellipse 44,15 10,5 0,360' \
    -fill '#4f772d' -draw 'polygon 0,62 22,40 45,55 70,33 98,52 120,42 140,56 140,90 0,90' \
    -fill '#90a955' -draw 'polygon 0,72 30,58 62,68 96,60 140,70 140,90 0,90' \
    -fill '#3a86ff' -draw 'ellipse 78,80 34,6 0,360' \
    -fill '#6b4226' -draw 'rectangle 20,60 22,72' -fill '#31572c' -draw 'circle 21,56 21,49' \
    sample.png

# The Parameter Builder's 32 by 32 picture: its menu picture, doubled.
convert ImageList1-3-builder.png -filter point -resize 32x32 builder32.png

# The preview's control bar: play (a triangle), pause (two bars) and stop (a square).
convert -size 16x16 xc:none -fill '#303030' -stroke none -draw 'polygon 4,2 13,8 4,14' media-play.png
convert -size 16x16 xc:none -fill '#303030' -stroke none -draw 'rectangle 3,3 6,13' -draw 'rectangle 9,3 12,13' \
    media-pause.png
convert -size 16x16 xc:none -fill '#303030' -stroke none -draw 'rectangle 3,3 12,12' media-stop.png

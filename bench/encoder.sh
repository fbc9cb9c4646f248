#!/bin/sh
# Times WM8EUTIL.EXE against a reference doing the same work, on clips made here. Against the
# ffmpeg command: one file with the profile av700 (a 20-second 640x480 clip with sound), the same
# clip in two passes at 1 Mbit/s, a folder of four 10-second clips with av700 against ffmpeg run on
# each clip in turn, a 10-second HDR clip tone-mapped with the same filters, and a phone's video: 6
# seconds of 4K HEVC at 30 fps, 20 Mbit/s with a key frame each second and AAC sound, as 10-bit HLG
# and as 8-bit SDR (BT.709), to 1280x720 at 2 Mbit/s, against ffmpeg scaling with zscale to 720p and
# tone-mapping with zscale and tonemap (the filters the utility's colour table is sampled from), or
# scaling and converting the matrix with scale and colorspace; with ffmpeg decoding the clip alone,
# on both cores, beside it, the floor no encode goes under. Against the utility itself: the clip tagged BT.709, whose matrix is converted, against the clip as it is; and a
# download cut off at a sixth of the six minutes its index announces, on eight threads, against the
# part of it that can be read. And a library: a folder of 200 tiny clips against ffmpeg run on each
# clip by GNU parallel, one per core, with the time per file. Each figure is timed ROUNDS times (5 unless given), the utility and
# the reference one after the other, and the shortest time of each counts, as other work may share
# the machine. Prints each ratio and marks one over its goal; it fails only where an encode fails or
# the streams differ, so that the benchmarks after it still run.
#
# The ffmpeg commands ask the encoders for exactly what the utility asks: constant rate with the
# rate as maximum, its buffer (5 s, a quarter of it to spend at the start), its bit-rate
# tolerance (a quarter of a second's bits), quantisers down to 1, the quality as qcomp, a key frame
# every 8 s. For the folder, the script checks that both write the same picture and sound streams,
# byte for byte. A single file's picture the utility encodes in pieces at once, each with a rate
# control of its own, so there it checks the same sound, byte for byte, the same number of picture
# frames and a picture within a tenth of ffmpeg's size.
# What the utility does beyond ffmpeg, and is timed with it: it reads each output back and checks it
# against what was asked, and writes the container itself. What it could do and ffmpeg
# cannot, dropping frames to hold the rate, does not happen on these clips.
set -eu
utility=${1:-build/bin/WM8EUTIL.EXE}
rounds=${ROUNDS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_clip() { # name seconds hue
    ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=640x480:rate=30,hue=h=$3" \
        -f lavfi -i "sine=frequency=$((440 + $3)):sample_rate=44100" -t "$2" \
        -c:v mpeg4 -q:v 4 -c:a pcm_s16le -ac 2 "$1"
}
make_clip "$work/clip.avi" 20 0
ffmpeg -hide_banner -loglevel error -i "$work/clip.avi" -c copy "$work/bt601.mkv"
ffmpeg -hide_banner -loglevel error -i "$work/clip.avi" -c copy -colorspace bt709 -color_primaries bt709 -color_trc bt709 \
    "$work/bt709.mkv"
ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=640x480:rate=30" -t 10 -pix_fmt yuv420p10le \
    -c:v libx265 -x265-params log-level=error:colorprim=bt2020:transfer=arib-std-b67:colormatrix=bt2020nc "$work/hlg.mkv"
# A phone's video: grain on a moving picture, 4K HEVC, as HLG (10-bit, BT.2020) and as SDR (8-bit, BT.709).
make_phone_clip() { # name pixel-format x265-colour ffmpeg-colour...
    name=$1 format=$2 colour=$3
    shift 3
    ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=3840x2160:rate=30" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 6 -vf "noise=alls=2:allf=t,format=$format" \
        -c:v libx265 -preset ultrafast -b:v 20M -x265-params "log-level=error:keyint=30:$colour" "$@" \
        -c:a aac -ac 2 -b:a 192k -tag:v hvc1 "$work/$name"
}
make_phone_clip phone-hlg.mp4 yuv420p10le colorprim=bt2020:transfer=arib-std-b67:colormatrix=bt2020nc \
    -color_primaries bt2020 -color_trc arib-std-b67 -colorspace bt2020nc
make_phone_clip phone-sdr.mp4 yuv420p colorprim=bt709:transfer=bt709:colormatrix=bt709 \
    -color_primaries bt709 -color_trc bt709 -colorspace bt709
ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=320x240:rate=25" -t 360 -c:v libx264 -preset ultrafast \
    -movflags +faststart "$work/whole.mp4"
head -c "$(($(stat -c %s "$work/whole.mp4") / 6))" "$work/whole.mp4" >"$work/cut-off.mp4"
ffmpeg -hide_banner -loglevel error -i "$work/cut-off.mp4" -c copy "$work/readable.mp4"
mkdir "$work/folder" "$work/ours" "$work/theirs" "$work/library"
ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc=size=32x24:rate=10:duration=0.2" -c:v mpeg4 "$work/library/t000.avi"
for i in $(seq 1 199); do cp "$work/library/t000.avi" "$work/library/t$(printf %03d "$i").avi"; done
for hue in 0 90 180 270; do
    make_clip "$work/folder/clip$hue.avi" 10 "$hue"
done

now() { date +%s.%N; }

# Seconds the command takes.
timed() {
    start=$(now)
    "$@" >/dev/null
    echo "$start $(now)" | awk '{ print $2 - $1 }'
}

# Times the utility's command and the reference in turn, rounds times; prints both shortest times.
race() { # ours-function theirs-function
    best_ours=999999
    best_theirs=999999
    round=0
    while [ "$round" -lt "$rounds" ]; do
        t=$(timed "$1")
        best_ours=$(echo "$t $best_ours" | awk '{ print ($1 < $2 ? $1 : $2) }')
        t=$(timed "$2")
        best_theirs=$(echo "$t $best_theirs" | awk '{ print ($1 < $2 ? $1 : $2) }')
        round=$((round + 1))
    done
    echo "$best_ours $best_theirs"
}

# The MD5 of a file's picture and sound streams as stored.
streams() {
    ffmpeg -hide_banner -loglevel error -i "$1" -map 0 -c copy -f streamhash -hash md5 -
}

same_streams() { # ours theirs
    if [ "$(streams "$1")" != "$(streams "$2")" ]; then
        echo "The reference wrote other streams than the utility for $(basename "$1"): it no longer does the same work."
        exit 1
    fi
}

# The number of picture frames and the bytes of the picture stream.
picture() {
    ffprobe -v error -select_streams v -show_entries packet=size -of csv=p=0 "$1" | awk '{ n++; bytes += $1 } END { print n, bytes }'
}

same_work() { # ours theirs
    ours=$(picture "$1")
    theirs=$(picture "$2")
    sound_ours=$(ffmpeg -hide_banner -loglevel error -i "$1" -map 0:a -c copy -f md5 -)
    sound_theirs=$(ffmpeg -hide_banner -loglevel error -i "$2" -map 0:a -c copy -f md5 -)
    if ! echo "$ours $theirs" | awk '{ exit !($1 == $3 && $2 > 0.9 * $4 && $2 < 1.1 * $4) }' || [ "$sound_ours" != "$sound_theirs" ]; then
        echo "The reference did other work than the utility for $(basename "$1"): frames and picture bytes $ours against $theirs."
        exit 1
    fi
}

sound="-af aformat=sample_fmts=fltp:sample_rates=44100:channel_layouts=stereo -c:a wmav2 -b:a 64k"
rate_control="-qmin 1 -lmin 118 -mblmin 118 -qcomp 0.75 -g 240"
ffmpeg_cmd="ffmpeg -y -hide_banner -loglevel error"

# Profile av700: 640x480 at 30 fps, 636 kbit/s constant with a buffer of 5 s, and 64 kbit/s stereo
# sound at 44.1 kHz.
av700="-vf scale=640:480,fps=30,format=yuv420p -c:v wmv2 -b:v 636k -maxrate 636k -bufsize 3180k -rc_init_occupancy 795k -bt 159k $rate_control"
profile_ours() { "$utility" -input "$work/clip.avi" -output "$work/ours.wmv" -profile av700; }
profile_theirs() { $ffmpeg_cmd -i "$work/clip.avi" $av700 $sound -f asf "$work/theirs.wmv"; }
profile=$(race profile_ours profile_theirs)
same_work "$work/ours.wmv" "$work/theirs.wmv"

# Constant rate in two passes at 1000 kbit/s with the default 5-second buffer; the first pass of
# each writes no file and encodes no sound.
cbr="-vf scale=640:480,fps=30,format=yuv420p -c:v wmv2 -b:v 1000k -maxrate 1000k -bufsize 5000k -rc_init_occupancy 1250k -bt 250k $rate_control"
passes_ours() { "$utility" -input "$work/clip.avi" -output "$work/ours.wmv" -v_mode 1 -v_bitrate 1000000 -a_setting 64_44_2; }
passes_theirs() {
    $ffmpeg_cmd -i "$work/clip.avi" $cbr -pass 1 -passlogfile "$work/passes" -an -f asf /dev/null
    $ffmpeg_cmd -i "$work/clip.avi" $cbr -pass 2 -passlogfile "$work/passes" $sound -f asf "$work/theirs.wmv"
}
passes=$(race passes_ours passes_theirs)
same_work "$work/ours.wmv" "$work/theirs.wmv"

# A folder of four 10-second clips with av700; ffmpeg encodes one clip after the other.
# Each round starts afresh: a folder run leaves alone what an earlier one wrote as asked.
folder_ours() { rm -rf "$work/ours"; "$utility" -input "$work/folder" -output "$work/ours" -profile av700; }
folder_theirs() {
    for clip in "$work"/folder/*.avi; do
        name=$(basename "$clip" .avi)
        $ffmpeg_cmd -i "$clip" $av700 $sound -f asf "$work/theirs/$name.wmv"
    done
}
folder=$(race folder_ours folder_theirs)
for clip in "$work"/ours/*.wmv; do
    same_streams "$clip" "$work/theirs/$(basename "$clip")"
done

# The matrix of a BT.709 picture converted to BT.601's, against the same picture that needs nothing.
matrix_ours() { "$utility" -input "$work/bt709.mkv" -output "$work/ours.wmv" -profile av700; }
matrix_plain() { "$utility" -input "$work/bt601.mkv" -output "$work/ours.wmv" -profile av700; }
matrix=$(race matrix_ours matrix_plain)

# HLG tone-mapped to SDR by the filters the utility's colour table is sampled from, with av700's rate:
# reference white to SDR's white, the highlights up to HLG's 1000 cd/m² rolled off above it.
hlg_tone_mapping="format=gbrpf32le,zscale=p=bt709,tonemap=mobius:param=0.94:peak=4.9261,zscale=t=bt709:m=170m:r=limited"
hdr_ours() { "$utility" -input "$work/hlg.mkv" -output "$work/ours.wmv" -profile av700; }
hdr_theirs() {
    $ffmpeg_cmd -i "$work/hlg.mkv" -vf "zscale=w=640:h=480:f=bicubic:rin=limited:tin=18:min=9:pin=9:t=linear:p=9:npl=203,$hlg_tone_mapping,format=yuv420p,fps=30,format=yuv420p" \
        -c:v wmv2 -b:v 636k -maxrate 636k -bufsize 3180k -rc_init_occupancy 795k -bt 159k $rate_control -f asf "$work/theirs.wmv"
}
hdr=$(race hdr_ours hdr_theirs)

# A phone's 4K HEVC to 1280x720 at 2 Mbit/s with the default buffer of 5 s, and 64 kbit/s stereo
# sound at 44.1 kHz.
phone="-c:v wmv2 -b:v 2000k -maxrate 2000k -bufsize 10000k -rc_init_occupancy 2500k -bt 500k $rate_control"
phone_ours() { "$utility" -input "$work/$1" -output "$work/ours.wmv" -v_bitrate 2000000 -v_width 1280 -v_height 720; }
hlg_ours() { phone_ours phone-hlg.mp4; }
hlg_theirs() {
    $ffmpeg_cmd -i "$work/phone-hlg.mp4" -vf "zscale=w=1280:h=720:f=bicubic:rin=limited:tin=18:min=9:pin=9:t=linear:p=9:npl=203,$hlg_tone_mapping,format=yuv420p,fps=30,format=yuv420p" \
        $phone $sound -f asf "$work/theirs.wmv"
}
sdr_ours() { phone_ours phone-sdr.mp4; }
sdr_theirs() {
    $ffmpeg_cmd -i "$work/phone-sdr.mp4" -vf "scale=1280:720,colorspace=iall=bt709:all=bt709:space=bt470bg:range=tv:format=yuv420p,fps=30,format=yuv420p" \
        $phone $sound -f asf "$work/theirs.wmv"
}
decode() { ffmpeg -hide_banner -loglevel error -i "$work/$1" -f null -; }
hlg_decode() { decode phone-hlg.mp4; }
sdr_decode() { decode phone-sdr.mp4; }
phone_hlg=$(race hlg_ours hlg_theirs)
same_work "$work/ours.wmv" "$work/theirs.wmv"
phone_sdr=$(race sdr_ours sdr_theirs)
same_work "$work/ours.wmv" "$work/theirs.wmv"
decoding=$(race hlg_decode sdr_decode)

cut_off_ours() { WM8EUTIL_JOBS=8 "$utility" -input "$work/cut-off.mp4" -output "$work/ours.wmv" -v_mode 2; }
cut_off_readable() { WM8EUTIL_JOBS=8 "$utility" -input "$work/readable.mp4" -output "$work/ours.wmv" -v_mode 2; }
cut_off=$(race cut_off_ours cut_off_readable)

# Each round starts afresh: a folder run leaves alone what an earlier one wrote as asked.
library_ours() { rm -rf "$work/library-ours"; "$utility" -input "$work/library" -output "$work/library-ours"; }
library_theirs() {
    rm -rf "$work/library-theirs" && mkdir "$work/library-theirs"
    ls "$work/library" | parallel --will-cite -j "$(nproc)" $ffmpeg_cmd -i "$work/library/{}" -c:v wmv2 -b:v 500k -maxrate 500k \
        -bufsize 2500k -rc_init_occupancy 625k $rate_control -f asf "$work/library-theirs/{.}.wmv"
}
library=$(race library_ours library_theirs)

echo "The same work as ffmpeg's (the folder's streams byte for byte); the utility's times also hold reading each output back."
echo "$profile $passes $folder $matrix $hdr $phone_hlg $phone_sdr $decoding $cut_off $library" | awk '
    function row(name, ours, theirs, goal, reference) {
        ratio = ours / theirs
        verdict = (ratio > goal) ? sprintf("   OVER the goal of %.2f", goal) : sprintf("   goal %.2f", goal)
        printf "%-34s WM8EUTIL.EXE %6.2f s   %-12s %6.2f s   ratio %.2f%s\n", name, ours, reference, theirs, ratio, verdict
    }
    {
        row("profile av700, 20 s 640x480", $1, $2, 0.8, "ffmpeg")
        row("CBR 1 Mbit/s, two passes", $3, $4, 0.85, "ffmpeg")
        row("folder of 4 clips, against in turn", $5, $6, 0.6, "ffmpeg")
        row("BT.709 converted, against BT.601", $7, $8, 1.1, "BT.601 alone")
        row("HLG tone-mapped, 10 s", $9, $10, 0.8, "ffmpeg")
        row("phone, 4K HEVC HLG to 720p", $11, $12, 0.6, "ffmpeg")
        printf "%-34s decoding alone %6.2f s: %.2f of ffmpeg\n", "", $15, $15 / $12
        row("phone, 4K HEVC SDR to 720p", $13, $14, 0.7, "ffmpeg")
        printf "%-34s decoding alone %6.2f s: %.2f of ffmpeg\n", "", $16, $16 / $14
        row("cut off at a sixth, 8 threads", $17, $18, 2.0, "its readable")
        row("library of 200 tiny clips", $19, $20, 1.0, "ffmpeg, par.")
        printf "%-34s WM8EUTIL.EXE %6.1f ms  ffmpeg, par. %6.1f ms a file\n", "", $19 * 5, $20 * 5
    }'

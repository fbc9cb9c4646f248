#!/bin/sh
# Times WM8EUTIL.EXE against the ffmpeg command doing the same work on a generated 20-second
# 640x480 clip with sound: once with a profile, once with two passes. Each is run three times and
# the shortest wall time counts, as another build may share the machine. Prints the times and
# their ratio, and fails when a ratio is over the budget of 1.1.
set -eu
utility=${1:-build/bin/WM8EUTIL.EXE}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ffmpeg -hide_banner -loglevel error -f lavfi -i testsrc2=size=640x480:rate=30 \
    -f lavfi -i sine=frequency=440:sample_rate=44100 -t 20 \
    -c:v mpeg4 -q:v 4 -c:a pcm_s16le -ac 2 "$work/clip.avi"

now() { date +%s.%N; }

# The shortest of three runs of the command, in seconds.
shortest() {
    best=""
    for run in 1 2 3; do
        start=$(now)
        "$@" >/dev/null
        end=$(now)
        best=$(echo "$start $end ${best:-999999}" | awk '{ t = $2 - $1; print (t < $3 ? t : $3) }')
    done
    echo "$best"
}

sound="-af aformat=sample_fmts=fltp:sample_rates=44100:channel_layouts=stereo -c:a wmav2 -b:a 64k"
ffmpeg_cmd="ffmpeg -y -hide_banner -loglevel error -i $work/clip.avi"

# Profile av700: 640x480 at 30 fps, 636 kbit/s CBR with a 5 s buffer and quality 75, a key frame
# every 8 s, and 64 kbit/s stereo sound at 44.1 kHz.
picture="-vf scale=640:480,fps=30,format=yuv420p -c:v wmv2 -b:v 636k -maxrate 636k -bufsize 3180k -qcomp 0.75 -g 240"
profile_ours=$(shortest "$utility" -input "$work/clip.avi" -output "$work/ours.wmv" -profile av700)
profile_theirs=$(shortest $ffmpeg_cmd $picture $sound -f asf "$work/theirs.wmv")

# CBR in two passes at 1000 kbit/s, the source's size and frame rate.
picture="-vf scale=640:480,fps=30,format=yuv420p -c:v wmv2 -b:v 1000k -maxrate 1000k -bufsize 5000k -qcomp 0.75 -g 240"
two_passes() {
    $ffmpeg_cmd $picture -pass 1 -passlogfile "$work/passes" -an -f asf /dev/null
    $ffmpeg_cmd $picture -pass 2 -passlogfile "$work/passes" $sound -f asf "$work/theirs.wmv"
}
passes_ours=$(shortest "$utility" -input "$work/clip.avi" -output "$work/ours.wmv" -v_mode 1 -v_bitrate 1000000 \
    -a_setting 64_44_2)
passes_theirs=$(shortest two_passes)

echo "$profile_ours $profile_theirs $passes_ours $passes_theirs" | awk '
    function row(name, ours, theirs) {
        ratio = ours / theirs
        verdict = (ratio > 1.1) ? "   over the budget of 1.1" : ""
        printf "%-24s WM8EUTIL.EXE %6.2f s   ffmpeg %6.2f s   ratio %.2f%s\n", name, ours, theirs, ratio, verdict
        return (ratio > 1.1)
    }
    {
        over = row("profile av700", $1, $2)
        over += row("CBR, two passes", $3, $4)
        exit (over > 0)
    }'

#!/bin/sh
# Times the program's start against a bare Qt window with one line edit, both started in turn on one
# virtual X server: the wall time to the first window mapped, the CPU time spent by then, and the
# peak memory half a second later, all measured from outside by start_watch. Prints the medians and
# their ratios, and marks a figure over its goal: 1.5 times the bare window's wall and CPU time,
# 45 MB of memory. A figure over its goal does not fail the script, so that the benchmarks after it
# still run.
#
#     start.sh START_WATCH BARE_WINDOW QUILLMARK [ROUNDS]
# Run it on an X display of its own (xvfb-run), where nothing else starts windows.
set -eu
watch=$1
bare=$2
program=$3
rounds=${4:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One warm-up each, then the rounds, in turn; every other round starts with the program.
"$watch" 500 "$bare" > /dev/null
"$watch" 500 "$program" > /dev/null
round=1
while [ "$round" -le "$rounds" ]; do
    if [ $((round % 2)) -eq 1 ]; then
        "$watch" 500 "$bare" >> "$work/bare"
        "$watch" 500 "$program" >> "$work/program"
    else
        "$watch" 500 "$program" >> "$work/program"
        "$watch" 500 "$bare" >> "$work/bare"
    fi
    round=$((round + 1))
done

median() { cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "$(median "$work/program" 1) $(median "$work/bare" 1) $(median "$work/program" 2) $(median "$work/bare" 2)" \
     "$(median "$work/program" 3) $(median "$work/bare" 3) $rounds" | awk '
    function ratio(name, ours, theirs, goal) {
        r = ours / theirs
        printf "%-26s quillmark %7.1f ms   bare window %7.1f ms   ratio %.2f%s\n", name, ours, theirs, r,
               (r > goal) ? sprintf("   OVER the goal of %.1f", goal) : ""
    }
    {
        printf "start to the visible main window, median of %d starts each:\n", $7
        ratio("wall time", $1, $2, 1.5)
        ratio("CPU time", $3, $4, 1.5)
        mb = $5 / 1024
        printf "%-26s quillmark %7.1f MB   bare window %7.1f MB   ratio %.2f%s\n", "peak memory", mb, $6 / 1024,
               $5 / $6, (mb > 45) ? "   OVER the goal of 45 MB" : ""
    }'

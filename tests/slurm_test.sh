#!/bin/bash
# Starts a one-node Slurm cluster of its own on the loopback, lists the jobs of a folder whose file
# names try to run commands, submits the list as a job array exactly as the README shows, and checks
# that every output is the folder run's byte for byte, that nothing else ran, that nothing was left
# out and that a second listing is empty. The daemons are ended however the test ends.
set -eu
build=$(cd "$1" && pwd)
utility="$build/bin/WM8EUTIL.EXE"
fail() { echo "FAIL: $*" >&2; exit 1; }
if [ "$(id -u)" != 0 ]; then
    echo "SKIP: the cluster's daemons run as root, as SlurmUser=root asks"
    exit 77
fi
for program in munged slurmctld slurmd sbatch ffmpeg; do
    command -v "$program" > /dev/null || [ -x "/usr/sbin/$program" ] || fail "$program is missing: install tools/debian-packages"
done
export PATH="$PATH:/usr/sbin"

root=$(mktemp -d)
# munged wants every folder above its socket open to all.
chmod 755 "$root"
daemons=()
finish() {
    if [ -f "$root/slurm.conf" ] && [ ${#daemons[@]} -gt 1 ]; then
        SLURM_CONF="$root/slurm.conf" scancel --full --quiet --user=root 2> /dev/null || true
    fi
    for pid in "${daemons[@]}"; do
        kill "$pid" 2> /dev/null || true
    done
    for pid in "${daemons[@]}"; do
        wait "$pid" 2> /dev/null || true
    done
    rm -rf "$root"
}
trap finish EXIT
mkdir -p "$root/key" "$root/socket" "$root/state" "$root/spool" "$root/log" "$root/work"
chmod 700 "$root/key"

# Two ports on the loopback that nothing listens on.
port=$((20000 + RANDOM % 20000))
ports=()
while [ ${#ports[@]} -lt 2 ]; do
    port=$((port + 1))
    (exec 3<> "/dev/tcp/127.0.0.1/$port") 2> /dev/null || ports+=("$port")
done

head -c 1024 /dev/urandom > "$root/key/munge.key"
chmod 400 "$root/key/munge.key"
socket="$root/socket/munge.socket"
munged --foreground --socket="$socket" --key-file="$root/key/munge.key" --seed-file="$root/key/seed" \
    --pid-file="$root/key/munged.pid" --log-file="$root/log/munged.log" 2> /dev/null &
daemons+=($!)

cat > "$root/slurm.conf" << EOF
ClusterName=quillmark
SlurmctldHost=$(hostname)(127.0.0.1)
SlurmUser=root
SlurmdUser=root
SlurmctldPort=${ports[0]}
SlurmdPort=${ports[1]}
AuthType=auth/munge
AuthInfo=socket=$socket
CredType=cred/munge
StateSaveLocation=$root/state
SlurmdSpoolDir=$root/spool
SlurmctldPidFile=$root/state/slurmctld.pid
SlurmdPidFile=$root/spool/slurmd.pid
SlurmctldLogFile=$root/log/slurmctld.log
SlurmdLogFile=$root/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
SwitchType=switch/none
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
ReturnToService=2
SlurmdParameters=config_overrides
NodeName=node NodeHostname=$(hostname) NodeAddr=127.0.0.1 CPUs=2 State=UNKNOWN
PartitionName=encode Nodes=ALL Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF="$root/slurm.conf"
for second in $(seq 20); do [ -S "$socket" ] && break; sleep 0.5; done
slurmctld -D -i 2> /dev/null &
daemons+=($!)
slurmd -D -N node 2> /dev/null &
daemons+=($!)
for second in $(seq 60); do
    [ "$(sinfo --noheader --format=%t 2> /dev/null)" = idle ] && break
    sleep 0.5
done
[ "$(sinfo --noheader --format=%t)" = idle ] || { tail -n 20 "$root"/log/*.log >&2; fail "the cluster did not start"; }

# A clip with a picture and one with sound alone, under names that try what a name can.
source="$root/source"
mkdir "$source"
ffmpeg -loglevel error -f lavfi -i testsrc2=size=96x64:rate=15 -f lavfi -i sine=sample_rate=22050 -t 1 \
    -c:v mpeg4 -c:a pcm_s16le "$root/clip.avi"
ffmpeg -loglevel error -f lavfi -i sine=sample_rate=22050 -t 1 "$root/tone.wav"
names=($'x\ntouch PWNED\ny.wav' "a'b.wav" '$(touch PWNED).wav' '`touch PWNED`.wav' '-rf.wav' $'caf\xe9.wav'
       '💩.wav' $'ends in a line break.wav\n' $'\t"quoted" {} %s \\012 ;|&.avi' '--help.avi')
for name in "${names[@]}"; do
    case "$name" in *.avi) cp "$root/clip.avi" "$source/$name" ;; *) cp "$root/tone.wav" "$source/$name" ;; esac
done
title=$'it\'s $(touch PWNED)\nand `touch PWNED`'

export WM8EUTIL_JOBS=1
"$utility" -input "$source" -output "$root/folder-run" -title "$title" > "$root/folder-run.log" \
    || { cat "$root/folder-run.log" >&2; fail "the folder run failed"; }
cd "$root/work"
"$utility" --list-jobs -input "$source" -output "$root/jobs" -title "$title" > jobs.txt 2> list.log \
    || { cat list.log >&2; fail "the listing failed"; }
[ "$(wc -l < jobs.txt)" = ${#names[@]} ] || { cat jobs.txt >&2; fail "${#names[@]} jobs were not listed one a line"; }
LC_ALL=C grep -q '[^ -~]' jobs.txt && fail "a job's line holds more than printable ASCII"

# As the README submits it; the test ends before CTest would kill it, and the daemons with it.
timeout 200 sbatch --wait --quiet --array=1-$(wc -l < jobs.txt) --wrap 'sed -n "${SLURM_ARRAY_TASK_ID}p" jobs.txt | sh' \
    || { tail -n 5 slurm-*.out >&2; fail "a job of the array failed"; }

cd "$root"
[ -z "$(find "$root" -name PWNED)" ] || fail "a name or the title ran a command: $(find "$root" -name PWNED)"
(cd folder-run && find . -print0 | sort -z) > folder-run.files
(cd jobs && find . -print0 | sort -z) > jobs.files
cmp -s folder-run.files jobs.files || fail "the jobs wrote other files than the folder run: $(tr '\0' ' ' < jobs.files)"
[ "$(tr -cd '\0' < jobs.files | wc -c)" = $((${#names[@]} + 1)) ] || fail "a file was left out: $(tr '\0' ' ' < jobs.files)"
while IFS= read -r -d '' file; do
    [ -d "jobs/$file" ] || cmp -s "folder-run/$file" "jobs/$file" || fail "$file is not the folder run's"
done < jobs.files
"$utility" --list-jobs -input "$source" -output "$root/jobs" -title "$title" > again.txt 2> again.log \
    || { cat again.log >&2; fail "the second listing failed"; }
[ ! -s again.txt ] || { cat again.txt >&2; fail "the second listing lists jobs"; }
grep -q "Jobs      0 to encode, .*, ${#names[@]} already done" again.log || { cat again.log >&2; fail "the second listing's summary"; }
echo "PASS: ${#names[@]} jobs run by Slurm wrote what the folder run writes"

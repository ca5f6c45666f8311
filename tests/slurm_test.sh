#!/bin/sh
# A survey on a one-node Slurm cluster started here for the test: munged, slurmctld and slurmd
# in the foreground with a generated configuration under a temporary folder, stopped at the end.
# scripts/slurm-survey submits 4 shards and their merge; the merged summary must be the one
# process's, byte for byte. Reports skipped (77), with the reason, when the cluster cannot start.
#   usage: slurm_test.sh NUV_SURVEY SLURM_SURVEY_SCRIPT
set -u
survey=$1 script=$2
skip() { echo "skipped: $1"; exit 77; }
for tool in munged mungekey slurmctld slurmd sbatch sinfo squeue; do
  command -v $tool >/dev/null 2>&1 || skip "no $tool (Debian: munge slurmctld slurmd slurm-client)"
done
[ "$(id -u)" = 0 ] || skip "the cluster runs as root here, and this is not root"
if command -v ss >/dev/null 2>&1 && ss -ltn | grep -qE ':(6817|6818) '; then
  skip "Slurm's ports 6817 and 6818 are in use here (another cluster, or another such test)"
fi

dir=$(mktemp -d /tmp/nuv-slurm-XXXXXX)
chmod 755 "$dir"
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null; done
  sleep 0.5
  for pid in $pids; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT

# Munge, with a key and a socket of its own.
mkdir -p "$dir/munge" "$dir/state" "$dir/spool" "$dir/results"
chmod 700 "$dir/munge"
mungekey --create --keyfile="$dir/munge/key" >/dev/null 2>&1 || skip "mungekey cannot make a key"
munged -F --force --key-file="$dir/munge/key" --socket="$dir/munge/socket" \
  --pid-file="$dir/munge/pid" --log-file="$dir/munge/log" --seed-file="$dir/munge/seed" \
  >/dev/null 2>&1 &
pids="$pids $!"

cat >"$dir/slurm.conf" <<EOF
ClusterName=nuvtest
SlurmctldHost=localhost
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$dir/munge/socket
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
ReturnToService=2
SlurmctldPort=6817
SlurmdPort=6818
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
NodeName=localhost CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=localhost Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF="$dir/slurm.conf"
sleep 1
slurmctld -D -f "$SLURM_CONF" >/dev/null 2>&1 &
pids="$pids $!"
slurmd -D -N localhost -f "$SLURM_CONF" >/dev/null 2>&1 &
pids="$pids $!"

# Up when the node is idle: at most 30 seconds, each question at most 3.
up=0
deadline=$(($(date +%s) + 30))
while [ "$(date +%s)" -lt $deadline ]; do
  if timeout 3 sinfo -h -N -o %t 2>/dev/null | grep -q idle; then up=1; break; fi
  sleep 0.5
done
if [ $up = 0 ]; then
  why=$(tail -n 3 "$dir/slurmctld.log" "$dir/slurmd.log" 2>/dev/null | tr '\n' ' ' | cut -c1-300)
  skip "the one-node cluster did not start: $why"
fi

# The survey in 4 shards and their merge, against one process.
plan="--seeds 1:400 1 0.5:1.5:0.5 1:2:0.5"
# shellcheck disable=SC2086
"$survey" --jobs 1 $plan >"$dir/whole.txt" || { echo "FAILED: the survey alone"; exit 1; }
# shellcheck disable=SC2086
out=$(sh "$script" --survey "$survey" 4 "$dir/results" $plan) || { echo "FAILED: submission: $out"; exit 1; }
echo "$out"
merge=$(echo "$out" | sed -n 's/.*merge: job \([0-9]*\).*/\1/p')
deadline=$(($(date +%s) + 120))
while [ "$(date +%s)" -lt $deadline ]; do
  [ -f "$dir/results/summary.txt" ] && [ -z "$(timeout 3 squeue -h -j "$merge" 2>/dev/null)" ] && break
  sleep 0.5
done
ls "$dir/results"
if cmp -s "$dir/whole.txt" "$dir/results/summary.txt"; then
  echo "slurm: 4 shards merged into the single process's summary, byte for byte"
  echo "1 passed, 0 failed"
  exit 0
fi
echo "FAILED: the merged summary differs from the single process's"
cat "$dir/results/merge.log" "$dir/results"/shard-0.log 2>/dev/null | head -20
exit 1

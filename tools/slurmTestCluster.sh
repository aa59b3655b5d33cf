#!/usr/bin/env bash
# A single-node Slurm cluster on localhost, for trying the workflow's Slurm
# profile on a workstation and for CI:
#   tools/slurmTestCluster.sh start|stop|status [DIR]
# DIR (default /tmp/kesp-slurm) holds everything the cluster writes: its
# slurm.conf, a munge key and socket of its own, the controller's state, the
# daemons' logs and pid files, and jobcomp.log, one line per finished job (the
# cluster keeps no accounting database). The system's munge and Slurm
# configuration are left alone; clients find this cluster through
#   export SLURM_CONF=DIR/slurm.conf
# which start and status print. Needs root, slurm-wlm and munge; installs
# nothing. The node, localhost, has 2 CPUs and the machine's memory, in the
# one partition "kesp"; jobs are tracked without cgroups, so it runs in a
# container too.
set -euo pipefail

usage() {
  echo "usage: tools/slurmTestCluster.sh start|stop|status [DIR]" >&2
  exit 2
}
[ $# -ge 1 ] && [ $# -le 2 ] || usage
command=$1
dir=${2:-/tmp/kesp-slurm}
case $dir in /*) ;; *) dir=$PWD/$dir ;; esac
export SLURM_CONF=$dir/slurm.conf
me=slurmTestCluster

fail() {
  echo "$me: $*" >&2
  exit 1
}

# The pid of DAEMON (munged, slurmctld or slurmd) from its pid file, if that
# process is alive and is that daemon (not another that took over its pid).
alivePid() {
  local pid
  [ -f "$dir/$1.pid" ] && pid=$(cat "$dir/$1.pid") && [[ $pid =~ ^[0-9]+$ ]] &&
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$1" ] && echo "$pid"
}

running() {
  alivePid munged >/dev/null || alivePid slurmctld >/dev/null || alivePid slurmd >/dev/null
}

writeConfig() {
  local memory
  memory=$(slurmd -C | sed -n 's/.*RealMemory=\([0-9]*\).*/\1/p')
  [ -n "$memory" ] || fail "slurmd -C did not report the memory of this machine"
  cat >"$dir/slurm.conf" <<EOF
# Written by tools/slurmTestCluster.sh: one node, localhost, no accounting.
ClusterName=kesptest
SlurmctldHost=localhost
AuthType=auth/munge
AuthInfo=socket=$dir/munge.socket
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/filetxt
JobCompLoc=$dir/jobcomp.log
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
SwitchType=switch/none
ReturnToService=2
NodeName=localhost NodeAddr=127.0.0.1 CPUs=2 RealMemory=$memory State=UNKNOWN
PartitionName=kesp Nodes=localhost Default=YES MaxTime=INFINITE State=UP
EOF
}

# Waits up to SECONDS for the node to take jobs.
waitIdle() {
  local state
  for _ in $(seq "$1"); do
    state=$(sinfo -h -N -n localhost -o %T 2>/dev/null || true)
    [ "$state" = idle ] && return 0
    sleep 1
  done
  echo "$me: the node is not idle after $1 s (state: ${state:-unknown})" >&2
  sinfo -R >&2 || true
  tail -n 20 "$dir/slurmctld.log" "$dir/slurmd.log" >&2 || true
  return 1
}

start() {
  [ "$(id -u)" -eq 0 ] || fail "start needs root (the daemons run as root)"
  local missing=() program
  for program in munged mungekey slurmctld slurmd sbatch scontrol sinfo squeue; do
    command -v "$program" >/dev/null || missing+=("$program")
  done
  [ ${#missing[@]} -eq 0 ] ||
    fail "${missing[*]} not found; install the Debian packages slurm-wlm and munge"
  ! running || fail "a test cluster is already running in $dir; stop it first"

  mkdir -p "$dir/state" "$dir/spool"
  chmod 755 "$dir"
  [ -f "$dir/munge.key" ] || mungekey --create --keyfile="$dir/munge.key"
  chmod 600 "$dir/munge.key"
  writeConfig

  munged --key-file="$dir/munge.key" --socket="$dir/munge.socket" \
    --pid-file="$dir/munged.pid" --log-file="$dir/munged.log" --seed-file="$dir/munged.seed" ||
    fail "munged did not start; see $dir/munged.log"
  # -c: a fresh controller, without the jobs of an earlier start.
  slurmctld -c -f "$SLURM_CONF" || { stop; fail "slurmctld did not start; see $dir/slurmctld.log"; }
  slurmd -f "$SLURM_CONF" -N localhost || { stop; fail "slurmd did not start; see $dir/slurmd.log"; }
  waitIdle 60 || { stop; exit 1; }
  echo "$me: running in $dir; use it with: export SLURM_CONF=$SLURM_CONF"
}

# Ends DAEMON with SIGTERM, then SIGKILL after 20 s.
endProcess() {
  local pid
  pid=$(alivePid "$1") || return 0
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 40); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.5
  done
  echo "$me: $1 did not end in 20 s; killing it" >&2
  kill -9 "$pid" 2>/dev/null || true
}

stop() {
  if ! running; then
    echo "$me: no test cluster is running in $dir"
    return 0
  fi
  # The jobs first, so that no job step outlives its slurmd.
  if alivePid slurmctld >/dev/null; then
    scancel --partition=kesp 2>/dev/null || true
    for _ in $(seq 20); do
      [ -z "$(squeue -h -o %i 2>/dev/null)" ] && break
      sleep 0.5
    done
  fi
  endProcess slurmd
  endProcess slurmctld
  endProcess munged
  echo "$me: stopped the test cluster in $dir"
}

status() {
  local daemon pid down=0
  for daemon in munged slurmctld slurmd; do
    if pid=$(alivePid "$daemon"); then
      echo "$daemon: running (pid $pid)"
    else
      echo "$daemon: not running"
      down=1
    fi
  done
  [ $down -eq 0 ] || return 1
  sinfo
  echo "use it with: export SLURM_CONF=$SLURM_CONF"
}

case $command in
  start) start ;;
  stop) stop ;;
  status) status ;;
  *) usage ;;
esac

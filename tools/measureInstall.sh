#!/usr/bin/env bash
# Measures what the set-up commands install on a fresh Debian bookworm
# machine: for each case, the packages newly installed, their download size,
# their installed size and the seconds the installation took, as a row of
# the table in docs/guide/installation.md.
#
#   tools/measureInstall.sh [--work DIR] [--keep] case...
#
# Cases:
#   <purpose>    tools/installDependencies.sh <purpose> (program, python,
#                plot, workflow, notebooks, web, docs, tests)
#   old:<rev>    the tools/installDependencies.sh of git revision <rev>
#                (with apt's recommends, as it was)
#   main-job     the README's main-job command end to end: the install,
#                then the build of kesp and kesp-scan and the example run;
#                fails if any step fails
#
# The fresh machine is a chroot (debootstrap, minbase) in DIR/base (default
# /work/chroot), made once with the apt sources of this machine and what a
# build machine has before any set-up (FRESH_PACKAGES below). Each case runs
# in an overlay of its own on that base, on a clone of the checkout's
# committed HEAD, with an empty package cache, and is then thrown away
# (--keep keeps it in DIR/runs/<case>). Needs root, debootstrap and network
# access to the Debian mirror.
set -euo pipefail

readonly FRESH_PACKAGES="g++ cmake libgtest-dev libgmock-dev libbenchmark-dev clang-format clang-tidy cppcheck gdb
  valgrind git python3 make pkgconf ccache"
readonly MAIN_JOB="tools/installDependencies.sh && cmake -S . -B build -DKESP_BUILD_TESTS=OFF \
&& cmake --build build -j2 && cd examples && ../build/kesp proton10MeV.inp"
checkout=$(cd "$(dirname "$0")/.." && pwd)
work=/work/chroot
keep=no

fail() { echo "measureInstall: $*" >&2; exit 2; }

# The fresh machine, made once.
makeBase() {
  local base=$work/base
  [ -x "$base/usr/bin/g++" ] && return 0
  local mirror
  mirror=$(grep -hoE 'https?://[^ ]+/debian/?$' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null \
           | head -n1 || true)
  debootstrap --variant=minbase bookworm "$base" "${mirror:-http://deb.debian.org/debian}"
  rm -f "$base/etc/apt/sources.list"
  cp /etc/apt/sources.list.d/debian.sources "$base/etc/apt/sources.list.d/" 2>/dev/null \
    || cp /etc/apt/sources.list "$base/etc/apt/sources.list"
  inChroot "$base" "apt-get update && apt-get upgrade -y && apt-get install -y $(tr '\n' ' ' <<<"$FRESH_PACKAGES") \
    && apt-get clean"
}

# Runs a shell command in a chroot with /proc, /sys, /dev and the name
# server of this machine; the mounts go when it ends.
inChroot() {
  local root=$1 status=0
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mount -t proc proc "$root/proc"
  mount -t sysfs sys "$root/sys"
  mount --rbind /dev "$root/dev"
  chroot "$root" env DEBIAN_FRONTEND=noninteractive HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "$2" || status=$?
  umount -R "$root/dev"
  umount "$root/proc" "$root/sys"
  return $status
}

# The command a case installs with, run in /root/kesp.
installCommand() {
  case $1 in
    old:*) echo "bash /root/old.sh" ;;
    main-job) echo "tools/installDependencies.sh" ;;
    *) echo "tools/installDependencies.sh $1" ;;
  esac
}

installedCount() { inChroot "$1" "dpkg-query -W -f='\${Status}\n' | grep -c 'install ok installed'"; }
installedKiB() {
  inChroot "$1" "dpkg-query -W -f='\${Status} \${Installed-Size}\n' | awk '/install ok installed/ {s += \$4} END {print s}'"
}

megabytes() { awk -v k="$1" 'BEGIN {printf "%.0f", k / 1024}'; }

# One case: a row of the table, and for main-job the rest of the command.
measure() {
  local name=$1 run=$work/runs/${1//[:\/]/-}
  local root=$run/root
  rm -rf "$run"
  mkdir -p "$run/upper" "$run/work" "$root"
  mount -t overlay overlay -o "lowerdir=$work/base,upperdir=$run/upper,workdir=$run/work" "$root"
  git clone -q "$checkout" "$root/root/kesp"
  if [[ $name == old:* ]]; then
    git -C "$checkout" show "${name#old:}:tools/installDependencies.sh" >"$root/root/old.sh"
  fi
  local status=0
  measureIn "$root" "$name" || status=$?
  umount "$root"
  [ $keep = yes ] || rm -rf "$run"
  return $status
}

measureIn() {
  local root=$1 name=$2
  local log=$work/${name//[:\/]/-}.log before beforeKiB start seconds after afterKiB downloadKiB
  before=$(installedCount "$root")
  beforeKiB=$(installedKiB "$root")
  start=$(date +%s)
  inChroot "$root" "cd /root/kesp && $(installCommand "$name")" >"$log" 2>&1 \
    || { echo "measureInstall: $name: the installation failed (see $log)" >&2; return 1; }
  seconds=$(( $(date +%s) - start ))
  after=$(installedCount "$root")
  afterKiB=$(installedKiB "$root")
  downloadKiB=$(du -sk "$root/var/cache/apt/archives" | cut -f1)
  printf '| %s | %d | %s MB | %s MB | %d s |\n' "$name" $((after - before)) "$(megabytes "$downloadKiB")" \
    "$(megabytes $((afterKiB - beforeKiB)))" "$seconds"
  if [ "$name" = main-job ]; then
    start=$(date +%s)
    inChroot "$root" "cd /root/kesp && $MAIN_JOB" >>"$log" 2>&1 \
      || { echo "measureInstall: main-job: the command failed (see $log)" >&2; return 1; }
    echo "main-job: configured, built and ran the example in $(( $(date +%s) - start )) s after the installation"
  fi
}

main() {
  while [ $# -gt 0 ]; do
    case $1 in
      --work) work=$2; shift 2 ;;
      --keep) keep=yes; shift ;;
      -h|--help) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; return 0 ;;
      *) break ;;
    esac
  done
  [ $# -gt 0 ] || fail "no case given (see --help)"
  [ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, chroot and mounts)"
  makeBase
  echo "| case | packages | download | installed | time |"
  echo "|---|---|---|---|---|"
  local name
  for name in "$@"; do
    measure "$name"
  done
}

main "$@"

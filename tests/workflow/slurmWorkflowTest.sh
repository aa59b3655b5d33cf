#!/usr/bin/env bash
# The scan workflow through the Slurm profile, on a single-node test cluster
# that tools/slurmTestCluster.sh starts on this machine (needs root, slurm-wlm
# and munge):
#   tests/workflow/slurmWorkflowTest.sh BUILD_DIR
# A scan of 6 configurations in 3 shards runs twice. In the first run shard 2
# is made to fail after its first row (tests/workflow/programs): the workflow
# must fail naming it and keep the other shards and that row. The second run
# must submit shard 2 alone and finish. The jobcomp log must list the shard
# jobs, and the table must be the one a plain kesp-scan run writes.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: tests/workflow/slurmWorkflowTest.sh BUILD_DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/kesp-slurm-test.XXXXXX)
chmod 755 "$work" # munged wants every folder above its socket open to all
cluster=$work/cluster
out=$work/out
me=slurmWorkflowTest

fail() {
  echo "$me: FAILED: $*" >&2
  for log in "$work"/*.txt "$out"/logs/*.log "$out"/logs/slurm/*.out "$cluster/jobcomp.log"; do
    [ -f "$log" ] && { echo "--- $log"; cat "$log"; } >&2
  done
  echo "$me: 0 passed, 1 failed"
  exit 1
}

cleanUp() {
  "$root/tools/slurmTestCluster.sh" stop "$cluster" || true
  rm -rf "$work"
}
trap cleanUp EXIT

cat >"$work/scan.yaml" <<'EOF'
title: Slurm workflow test
cells: 20
seed: 3
shards: 3
vary:
  PAR: [p, 4He]
  KE: [10, 20, 40]
EOF

"$root/tools/slurmTestCluster.sh" start "$cluster"
export SLURM_CONF=$cluster/slurm.conf

# Through the test programs folder, which runs the build's kesp-scan and
# kesp-plot; one CPU per shard, so that two shards run at once on the node.
export KESP_SCAN_EXECUTABLE=$build/scan/kesp-scan KESP_PLOT_EXECUTABLE=$build/plot/kesp-plot
export KESP_FAIL_SHARD=2/3 KESP_FAIL_MARKER=$work/failed
runWorkflow() {
  (cd "$root" && snakemake -s workflow/Snakefile --configfile "$work/scan.yaml" --directory "$out" \
    --profile workflow/profiles/slurm --set-threads shard=1 \
    --config programs="$root/tests/workflow/programs") >"$work/$1.txt" 2>&1
}

if runWorkflow failing; then
  fail "the workflow succeeded although shard 2 failed"
fi
grep -q "logs/scan.shard-2-of-3.log" "$work/failing.txt" || fail "the failure does not name shard 2"
[ -f "$out/shards/scan.shard-1-of-3.csv" ] && [ -f "$out/shards/scan.shard-3-of-3.csv" ] ||
  fail "the finished shards were not kept"
[ "$(wc -l <"$out/shards/scan.shard-2-of-3.partial.csv")" -eq 3 ] ||
  fail "the failed shard's finished row was not kept"

runWorkflow rerun || fail "the second run failed"
submitted=$(grep -c "^Submitted job" "$work/rerun.txt" || true)
[ "$submitted" -eq 1 ] || fail "the second run submitted $submitted jobs instead of shard 2 alone"

# Every shard ran as a Slurm job in the output folder: shard 2 twice.
for shard in 1 2 3; do
  grep -q "Name=kesp-shard-$shard JobState=COMPLETED .* WorkDir=$out " "$cluster/jobcomp.log" ||
    fail "the jobcomp log has no completed job of shard $shard"
done
grep -q "Name=kesp-shard-2 JobState=FAILED .* WorkDir=$out " "$cluster/jobcomp.log" ||
  fail "the jobcomp log has no failed job of shard 2"

"$build/scan/kesp-scan" -o "$work/plain.csv" "$work/scan.yaml" >/dev/null
cmp "$out/scan.csv" "$work/plain.csv" || fail "the workflow's table differs from a plain kesp-scan run's"
ls "$out"/figures/*.png >/dev/null || fail "no figures were drawn"
echo "$me: 1 passed, 0 failed"

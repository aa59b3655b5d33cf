#!/usr/bin/env bash
# Snakemake's job-status command for Slurm: prints success, running or failed
# for the job id sbatch --parsable gave (an id, or id;cluster).
# scontrol knows a job until MinJobAge (300 s by default) after it ended;
# after that only sacct does, on clusters that keep accounting. A job neither
# knows is reported failed. When the controller does not answer, the job is
# reported running, so that Snakemake asks again rather than giving up.
jobid=${1%%;*}
if [ -z "$jobid" ]; then
  echo "status.sh: no job id given" >&2
  echo failed
  exit 0
fi

if out=$(scontrol show job --oneliner "$jobid" 2>&1); then
  state=$(sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p' <<<"$out")
elif [[ $out == *"Invalid job id"* ]]; then
  state=$(sacct --noheader --allocations --parsable2 --format=State --jobs="$jobid" 2>/dev/null | head -n 1)
  state=${state%% *}
  if [ -z "$state" ]; then
    echo "status.sh: Slurm does not know job $jobid any more" >&2
    echo failed
    exit 0
  fi
else
  echo "status.sh: scontrol show job $jobid: $out" >&2
  echo running
  exit 0
fi

case $state in
  COMPLETED) echo success ;;
  PENDING | CONFIGURING | RUNNING | COMPLETING | SUSPENDED | STOPPED | REQUEUED | REQUEUE_FED | \
    REQUEUE_HOLD | RESIZING | SIGNALING | STAGE_OUT | RESV_DEL_HOLD) echo running ;;
  *)
    echo "status.sh: job $jobid ended ${state:-in an unknown state}" >&2
    echo failed
    ;;
esac

#!/usr/bin/env bash
# The same sweep on a Slurm cluster, one model per task of an array job. From this folder:
#
#   sbatch --array=0-$(( $(ls models/*.model | wc -l) - 1 )) slurm-array.sh [BATCH OPTIONS...]
#
# Task i runs the i-th model (in the shell's sorted order) into out/NAME, as run-all.sh does.
#SBATCH --job-name=vmm-sweep
#SBATCH --cpus-per-task=1
#SBATCH --mem=4G
#SBATCH --time=01:00:00
#SBATCH --output=out/slurm-%A_%a.log
set -euo pipefail
cd "${SLURM_SUBMIT_DIR:-$(dirname "$0")}"
models=(models/*.model)
task=${SLURM_ARRAY_TASK_ID:?run this with sbatch --array}
mkdir -p out
exec ./run-all.sh --one "${models[$task]}" out "$@"

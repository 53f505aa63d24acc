#!/usr/bin/env bash
# Runs every model of a folder through the model maker's batch mode, several at once with GNU
# parallel: each model in a folder of its own under OUT (the model's files, the forward run's
# data, pictures of the model and the data, and the data for pyGIMLi, Res2DInv and R2/ResIPy).
#
#   ./run-all.sh [MODELS [OUT [BATCH OPTIONS...]]]   MODELS defaults to models, OUT to out
#   ./run-all.sh --one MODEL OUT [BATCH OPTIONS...]  one model only (what each job runs)
#
# BATCH OPTIONS replace the survey and noise below (velquor-model-maker --help lists them).
# The program is $VMM_PROGRAM, else velquor-model-maker on PATH, else this checkout's build.
# Exit status: 0 when every model went through, else 1; each model's messages are in
# OUT/NAME/batch.log.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

program=${VMM_PROGRAM:-$(command -v velquor-model-maker || echo "$here/../../build/bin/velquor-model-maker")}
survey=(--array dipole-dipole --a 5 --n 4 --fwd ip --noise 2,0.1 --ip-noise 0.5 --seed 1)

if [ "${1:-}" = "--one" ]; then
  model=$2 out=$3
  shift 3
  [ $# -gt 0 ] && survey=("$@")
  name=$(basename "$model" .model)
  folder="$out/$name"
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$model" "$folder/$name.model"
  if "$program" --batch "$folder/$name.model" --forward --png "$folder/$name" \
      --export-pygimli "$folder/$name.ohm" --export-res2dinv "$folder/$name.dat" \
      --export-r2 "$folder/protocol.dat" "${survey[@]}" > "$folder/batch.log" 2>&1; then
    echo "$name: done"
  else
    echo "$name: failed, see $folder/batch.log" >&2
    exit 1
  fi
  exit 0
fi

models=${1:-models}
out=${2:-out}
shift $(( $# < 2 ? $# : 2 ))
if [ ! -x "$program" ]; then
  echo "velquor-model-maker not found: build it (make test) or set VMM_PROGRAM" >&2
  exit 1
fi
shopt -s nullglob
files=("$models"/*.model)
if [ ${#files[@]} -eq 0 ]; then
  echo "No .model files in $models" >&2
  exit 1
fi
mkdir -p "$out"
export VMM_PROGRAM=$program
# One job per core; every model is tried, and the status says whether any failed.
parallel --will-cite "$here/run-all.sh" --one {} "$out" "$@" ::: "${files[@]}" && exit 0
exit 1

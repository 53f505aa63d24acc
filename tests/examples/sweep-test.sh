#!/usr/bin/env bash
# Runs the sweep example on its three models with the program just built, and checks that each
# model's folder holds its data, pictures and exports, and that the same seed gives the same
# exported files again.
set -euo pipefail
program=$1 sweep=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
VMM_PROGRAM=$program "$sweep/run-all.sh" "$sweep/models" out > run.log
for model in "$sweep"/models/*.model; do
  name=$(basename "$model" .model)
  for file in obs_dc.dat obs_ip.dat "$name-model.png" "$name-data.png" "$name-data-ip.png" "$name.ohm" "$name.dat" \
      protocol.dat protocol_electrodes.csv; do
    [ -s "out/$name/$file" ] || { echo "out/$name/$file is missing"; cat "out/$name/batch.log"; exit 1; }
  done
  grep -q "^$name: done$" run.log || { echo "no line for $name"; cat run.log; exit 1; }
done
cp out/deep-block/deep-block.ohm first.ohm
VMM_PROGRAM=$program "$sweep/run-all.sh" --one "$sweep/models/deep-block.model" out > /dev/null
cmp first.ohm out/deep-block/deep-block.ohm
# A model that cannot be read fails its job and the sweep, and the others still run.
mkdir bad && cp "$sweep/models/deep-block.model" bad/ && echo "not a model" > bad/broken.model
if VMM_PROGRAM=$program "$sweep/run-all.sh" bad out2 > run2.log 2> err2.log; then
  echo "a broken model did not fail the sweep"; exit 1
fi
grep -q "^broken: failed" err2.log && [ -s out2/deep-block/deep-block.ohm ]
echo "sweep example: 3 models and a broken one as expected"

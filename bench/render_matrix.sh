#!/usr/bin/env bash
# Renders the fixed set of 36 velomira-render outputs (wave images, timed renders, batch
# renders; each with and without the signal options) into a folder and prints their sha256
# sums, so that two trees can be compared byte for byte: a restructuring must not move a sample.
#   bench/render_matrix.sh RENDER_BINARY OUT_FOLDER
set -euo pipefail
render=$1
out=$2
mkdir -p "$out"

wheels=("10 1 crankshaft" "58 2 crankshaft" "46 2 camshaft")
options=("" "--exact-speed" "--cam 90" "--exact-speed --cam 359:20" "--cam 0:360")

cat >"$out/run.rbt" <<'RBT'
1000|1000|0
2000|500|3000
3000|0|2000
RBT

for wheel in "${wheels[@]}"; do
  read -r teeth missing position <<<"$wheel"
  w="--teeth $teeth --missing $missing --position $position"
  tag="${teeth}_${missing}_${position}"
  "$render" $w --image "$out/image_${tag}.wav"
  "$render" $w --cam 180 --image "$out/image_${tag}_cam.wav"
  for i in "${!options[@]}"; do
    # shellcheck disable=SC2086
    "$render" $w ${options[$i]} --rpm 1234 --seconds 1 --out "$out/render_${tag}_$i.wav"
    # shellcheck disable=SC2086
    "$render" --batch "$out/run.rbt" $w ${options[$i]} --device-rate 44100 --out "$out/batch_${tag}_$i.wav"
  done
done
(cd "$out" && sha256sum ./*.wav)

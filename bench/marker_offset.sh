#!/usr/bin/env bash
# How far the live view's marker is from what the sink plays, through a private PulseAudio
# and a private PipeWire (scripts/pulse.sh), at 300 and 1000 RPM.
#   bench/marker_offset.sh [seconds per case, default 10] [servers, default "pulseaudio pipewire"]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_PER_CASE="${1:-10}"
read -r -a SERVERS <<<"${2:-pulseaudio pipewire}"
source "$ROOT/scripts/lib.sh"
source "$ROOT/scripts/pulse.sh"
configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -- velomira_marker_offset >/dev/null
unset SDL_AUDIODRIVER
trap 'pulse_stop all' EXIT
for server in "${SERVERS[@]}"; do
  pulse_start "$server"
  for rpm in 300 1000; do
    echo "$server: $("$ROOT/build/bin/velomira_marker_offset" out48 48000 "$rpm" "$SECONDS_PER_CASE")"
  done
  pulse_stop all
done

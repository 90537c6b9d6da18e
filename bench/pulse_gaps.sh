#!/usr/bin/env bash
# Gaps in a steady tone played through real sound servers (a private PulseAudio and a
# private PipeWire with pipewire-pulse, each with a 48 kHz null sink, recorded from its
# monitor), by the program and, beside it, by pacat playing the same frames at 32 ms, with
# the machine as it is and with busy loops added (nice 19: they only keep the CPUs awake);
# then how late an RPM change and a start after a rest are heard.
#
#   bench/pulse_gaps.sh [seconds per case, default 600] [servers, default "pulseaudio pipewire"]
#                       [busy loops, default "0 1 2"] [clients, default "velomira pacat"]
#
# The defaults are an hour of the program's own play and an hour of pacat's. A gap is a
# silence or a revolution that is not whole; each silence's time is logged. A case's time
# is played in rounds of at most 60 s with the cases taking turns, so that the machine's
# other load falls on all of them alike.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
SECONDS_PER_CASE="${1:-600}"
read -r -a SERVERS <<<"${2:-pulseaudio pipewire}"
read -r -a LOADS <<<"${3:-0 1 2}"
read -r -a CLIENTS <<<"${4:-velomira pacat}"
ROUND=60
CHANGES=50
configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -- velomira_pulse_gaps >/dev/null
# The program as built now, whatever the build folder holds later in the run.
work="$(mktemp -d)"
BIN="$work/velomira_pulse_gaps"
cp "$ROOT/build/bin/velomira_pulse_gaps" "$BIN"
unset SDL_AUDIODRIVER  # the program's own choice of output

source "$ROOT/scripts/pulse.sh"
busy=()
stop_busy() {
  local pid
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${busy[@]}"; do wait "$pid" 2>/dev/null || true; done
  busy=()
}
trap 'stop_busy; pulse_stop all; rm -rf "$work"' EXIT

value() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }

# One round of one case: prints the result line.
play_round() {
  local client="$1" loops="$2" length="$3" i
  for ((i = 0; i < loops; i++)); do
    nice -n 19 yes >/dev/null &
    busy+=($!)
  done
  if [ "$client" = pacat ]; then
    "$BIN" pcm out48 48000 0 $((length + 3)) |
      pacat --raw --format=s16le --channels=2 --rate=48000 --latency-msec=32 --client-name=pacat &
    local player=$!
    sleep 0.5
    "$BIN" gaps out48 48000 -1 "$length"
    kill "$player" 2>/dev/null || true
    wait "$player" 2>/dev/null || true
  else
    "$BIN" gaps out48 48000 0 "$length"
  fi
  stop_busy
}

declare -A seconds gaps silences longest load rounds times delay
for server in "${SERVERS[@]}"; do
  pulse_start "$server"
  for loops in "${LOADS[@]}"; do
    for client in "${CLIENTS[@]}"; do
      key="$server/$client/$loops"
      seconds[$key]=0; gaps[$key]=0; silences[$key]=0; longest[$key]=0; load[$key]=0; rounds[$key]=0; times[$key]=""
    done
  done
  done_seconds=0
  while [ "$done_seconds" -lt "$SECONDS_PER_CASE" ]; do
    length=$((SECONDS_PER_CASE - done_seconds < ROUND ? SECONDS_PER_CASE - done_seconds : ROUND))
    for loops in "${LOADS[@]}"; do
      for client in "${CLIENTS[@]}"; do
        key="$server/$client/$loops"
        started="$(date -u +%T)"
        line="$(play_round "$client" "$loops" "$length")"
        now_load="$(cut -d' ' -f1 /proc/loadavg)"
        echo "$(date -u +%T) $key: $line load=$now_load"
        breaks="$(value breaks "$line")"
        gaps[$key]=$((gaps[$key] + ${breaks:-0}))
        silences[$key]=$((silences[$key] + $(value silences "$line")))
        longest[$key]="$(awk -v a="${longest[$key]}" -v b="$(value longest_ms "$line")" 'BEGIN {print (b > a ? b : a)}')"
        load[$key]="$(awk -v a="${load[$key]}" -v b="$now_load" 'BEGIN {print a + b}')"
        rounds[$key]=$((rounds[$key] + 1))
        seconds[$key]=$((seconds[$key] + length))
        at="$(value gap_s "$line")"
        [ "$at" = - ] || times[$key]+="$started+[$at] "
      done
    done
    done_seconds=$((done_seconds + length))
  done
  line="$("$BIN" delay out48 48000 0 "$CHANGES")"
  echo "$(date -u +%T) $server/delay: $line"
  joins="$("$BIN" joins out48 48000 0 "$CHANGES")"
  echo "$(date -u +%T) $server/joins: $joins"
  delay[$server]="$(value change_median_ms "$line") / $(value change_max_ms "$line") | $(value odd_intervals "$line") / $(value odd_intervals "$joins") | $(value start_median_ms "$line") / $(value start_max_ms "$line")"
  pulse_stop all
done

echo
echo "gaps in ${SECONDS_PER_CASE} s a case (silences; longest silence ms), mean 1-min load average over the rounds"
echo "| server | client | busy loops | gaps | silences | longest ms | load | silences at (round start + s) |"
echo "|---|---|---|---|---|---|---|---|"
for server in "${SERVERS[@]}"; do
  for loops in "${LOADS[@]}"; do
    for client in "${CLIENTS[@]}"; do
      key="$server/$client/$loops"
      awk -v s="$server" -v c="$client" -v n="$loops" -v g="${gaps[$key]}" -v si="${silences[$key]}" \
        -v l="${longest[$key]}" -v ld="${load[$key]}" -v r="${rounds[$key]}" -v t="${times[$key]:--}" \
        'BEGIN { printf "| %s | %s | %d | %d | %d | %s | %.1f | %s |\n", s, c, n, g, si, l, ld / r, t }'
    done
  done
done
echo
echo "RPM change (3000 <-> 4500) heard at the sink's monitor, over $CHANGES changes; start after a rest over 5"
echo "| server | change ms median / max | edges out of place (5 ms / 50 ms recording) | start ms median / max |"
echo "|---|---|---|---|"
for server in "${SERVERS[@]}"; do echo "| $server | ${delay[$server]} |"; done

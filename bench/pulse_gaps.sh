#!/usr/bin/env bash
# Gaps in a steady tone played through a real PulseAudio server (a private one, 48 kHz null
# sink, recorded from its monitor), for several device buffers side by side, with the
# machine as it is and with two busy loops added; then how late an RPM change and a start
# after a rest are heard with each buffer.
#
#   bench/pulse_gaps.sh [seconds per case, default 300] [buffer frames..., default 512 1024 2048]
#
# A gap is a silence or a revolution that is not whole. Each case's time is played in rounds
# of at most 60 s with the cases taking turns, so that the machine's other load falls on all
# of them alike. Buffer 0 is the program's own choice.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
SECONDS_PER_CASE="${1:-300}"
shift || true
SIZES=("$@")
[ "${#SIZES[@]}" -gt 0 ] || SIZES=(512 1024 2048)
ROUND=60
configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -- velomira_pulse_gaps >/dev/null
BIN="$ROOT/build/bin/velomira_pulse_gaps"

source "$ROOT/scripts/pulse.sh"
busy=()
stop_busy() {
  local pid
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${busy[@]}"; do wait "$pid" 2>/dev/null || true; done
  busy=()
}
trap 'stop_busy; pulse_stop all' EXIT
pulse_start

value() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }

declare -A seconds breaks silences longest load rounds
for load_case in idle busy; do
  for frames in "${SIZES[@]}"; do
    key="$load_case/$frames"
    seconds[$key]=0; breaks[$key]=0; silences[$key]=0; longest[$key]=0; load[$key]=0; rounds[$key]=0
  done
done

done_seconds=0
while [ "$done_seconds" -lt "$SECONDS_PER_CASE" ]; do
  length=$((SECONDS_PER_CASE - done_seconds < ROUND ? SECONDS_PER_CASE - done_seconds : ROUND))
  for load_case in idle busy; do
    for frames in "${SIZES[@]}"; do
      key="$load_case/$frames"
      if [ "$load_case" = busy ]; then
        yes >/dev/null & busy+=($!)
        yes >/dev/null & busy+=($!)
      fi
      line="$("$BIN" gaps out48 48000 "$frames" "$length")"
      stop_busy
      echo "$key: $line  load=$(cut -d' ' -f1 /proc/loadavg)"
      seconds[$key]=$((seconds[$key] + length))
      breaks[$key]=$((breaks[$key] + $(value breaks "$line")))
      silences[$key]=$((silences[$key] + $(value silences "$line")))
      longest[$key]="$(awk -v a="${longest[$key]}" -v b="$(value longest_ms "$line")" 'BEGIN {print (b > a ? b : a)}')"
      load[$key]="$(awk -v a="${load[$key]}" -v b="$(cut -d' ' -f1 /proc/loadavg)" 'BEGIN {print a + b}')"
      rounds[$key]=$((rounds[$key] + 1))
    done
  done
  done_seconds=$((done_seconds + length))
done

declare -A delay
for frames in "${SIZES[@]}"; do
  line="$("$BIN" delay out48 48000 "$frames" 40)"
  echo "delay/$frames: $line"
  delay[$frames]="$(value change_median_ms "$line") / $(value change_max_ms "$line") | $(value start_median_ms "$line") / $(value start_max_ms "$line")"
done

echo
echo "gaps in ${SECONDS_PER_CASE} s a case (silences, longest ms), mean 1-min load average; delays at the sink's monitor over 40 changes and 5 starts"
echo "| buffer frames | ms at 48 kHz | gaps, machine as it is | load | gaps, + two busy loops | load | RPM change ms median / max | start after rest ms median / max |"
echo "|---|---|---|---|---|---|---|---|"
for frames in "${SIZES[@]}"; do
  i="idle/$frames"; b="busy/$frames"
  awk -v f="$frames" -v gi="${breaks[$i]}" -v si="${silences[$i]}" -v li="${longest[$i]}" -v ldi="${load[$i]}" \
      -v ri="${rounds[$i]}" -v gb="${breaks[$b]}" -v sb="${silences[$b]}" -v lb="${longest[$b]}" -v ldb="${load[$b]}" \
      -v rb="${rounds[$b]}" -v d="${delay[$frames]}" 'BEGIN {
    ms = f == 0 ? "default" : sprintf("%.1f", f / 48)
    printf "| %s | %s | %d (%d, %s) | %.1f | %d (%d, %s) | %.1f | %s |\n", f == 0 ? "default" : f, ms, gi, si, li, ldi / ri, gb, sb, lb, ldb / rb, d }'
done

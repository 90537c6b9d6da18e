#!/usr/bin/env bash
# CPU time and wake-ups of the program and of the sound server while the window is open
# and no tone plays, through a private PulseAudio server under Xvfb.
#   bench/idle_cpu.sh [program, default build/bin/velomira] [seconds, default 30]
# The program gets 8 s to settle first (its output rests after 3 s without a tone).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PROGRAM="${1:-$ROOT/build/bin/velomira}"
SECONDS_MEASURED="${2:-30}"
source "$ROOT/scripts/pulse.sh"
pulse_start
work="$(mktemp -d)"
cp "$PROGRAM" "$work/velomira"  # its settings file goes beside it
# The program is ended by SIGKILL: a measurement, nothing of it is kept. xvfb-run then
# takes its X server down.
trap 'kill -9 "$pid" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; pulse_stop all; rm -rf "$work"' EXIT
pid=
unset SDL_AUDIODRIVER QT_QPA_PLATFORM
xvfb-run -a "$work/velomira" >/dev/null 2>&1 &
xvfb=$!
sleep 8
pid="$(pgrep -f -x "$work/velomira" | head -n 1)"
server="$(cat "$VELOMIRA_PULSE_DIR/daemon.pid")"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Context switches of each thread, "tid count" a line.
switches() {
  local task
  for task in /proc/"$1"/task/*; do
    echo "${task##*/} $(awk '/ctxt_switches/ {n += $2} END {print n}' "$task/status" 2>/dev/null)"
  done
}

p0=$(ticks "$pid"); s0=$(ticks "$server"); switches "$pid" >"$work/w0"
sleep "$SECONDS_MEASURED"
p1=$(ticks "$pid"); s1=$(ticks "$server"); switches "$pid" >"$work/w1"
# Threads alive at both ends only: an ended thread's count is gone from the second list.
w=$(awk 'NR == FNR {before[$1] = $2; next} $1 in before {n += $2 - before[$1]} END {print n + 0}' "$work/w0" "$work/w1")
hz=$(getconf CLK_TCK)
awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v w="$w" -v t="$SECONDS_MEASURED" -v hz="$hz" 'BEGIN {
  printf "program: %.2f %% CPU, %.0f context switches a second; server: %.2f %% CPU\n",
         100 * p / hz / t, w / t, 100 * s / hz / t }'
echo "sinks: $(pactl list sinks short | awk '{printf "%s %s  ", $2, $NF}')"
echo "program threads: $(ls /proc/"$pid"/task | wc -l)"

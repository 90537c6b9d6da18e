#!/usr/bin/env bash
# CPU time and wake-ups of the program and of the sound server while the window is open
# and no tone plays, through a private PulseAudio server under Xvfb.
#   bench/idle_cpu.sh [program, default build/bin/velomira] [seconds, default 30]
# The program gets 5 s to settle first.
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
sleep 5
pid="$(pgrep -f -x "$work/velomira" | head -n 1)"
server="$(cat "$VELOMIRA_PULSE_DIR/daemon.pid")"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}'; }

p0=$(ticks "$pid"); s0=$(ticks "$server"); w0=$(switches "$pid")
sleep "$SECONDS_MEASURED"
p1=$(ticks "$pid"); s1=$(ticks "$server"); w1=$(switches "$pid")
hz=$(getconf CLK_TCK)
awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v w=$((w1 - w0)) -v t="$SECONDS_MEASURED" -v hz="$hz" 'BEGIN {
  printf "program: %.2f %% CPU, %.0f context switches a second; server: %.2f %% CPU\n",
         100 * p / hz / t, w / t, 100 * s / hz / t }'
echo "sinks: $(pactl list sinks short | awk '{printf "%s %s  ", $2, $NF}')"
echo "program threads: $(ls /proc/"$pid"/task | wc -l)"

#!/usr/bin/env bash
# CPU time of each thread of the program while a tone plays (the cam signal on, a cam phase
# of +20 degrees), first with the live view closed, then with it open, through a private
# PulseAudio server under Xvfb; the server's own CPU beside it.
#   bench/live_view_cpu.sh [program, default build/bin/velomira] [seconds, default 20]
# Threads: the main thread has the program's pid; libpulse's "threaded-ml" renders the sound.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/live_view_session.sh"

# One measurement: per-thread CPU % over `seconds`, "label: name tid cpu%" lines.
measure() {
  local label="$1" pid="$2" server="$3" seconds="$4" hz
  hz=$(getconf CLK_TCK)
  live_thread_ticks "$pid" >"$work/t0"
  local s0 s1
  s0=$(awk '{print $14 + $15}' "/proc/$server/stat")
  sleep "$seconds"
  live_thread_ticks "$pid" >"$work/t1"
  s1=$(awk '{print $14 + $15}' "/proc/$server/stat")
  awk -v label="$label" -v pid="$pid" -v t="$seconds" -v hz="$hz" -v s=$((s1 - s0)) '
    NR == FNR {before[$1] = $3; next}
    $1 in before {
      d = $3 - before[$1]; all += d
      if ($1 == pid) main = d; else if ($2 == "threaded-ml") audio += d; else other += d
    }
    END {
      printf "%s: main thread %.2f %%, audio thread %.2f %%, other threads %.2f %%, program %.2f %%; server %.2f %%\n",
             label, 100 * main / hz / t, 100 * audio / hz / t, 100 * other / hz / t, 100 * all / hz / t, 100 * s / hz / t
    }' "$work/t0" "$work/t1"
}

if [ "${1:-}" = "--inside" ]; then
  program="$2" seconds="$3" work="$4" server="$5"
  "$program" >/dev/null 2>&1 &
  pid=$!
  win="$(live_main_window)"
  live_start "$win"
  sleep 3
  measure "view closed" "$pid" "$server" "$seconds"
  live_open_view "$win" >/dev/null
  sleep 2
  measure "view open  " "$pid" "$server" "$seconds"
  kill -9 "$pid"  # a measurement: nothing of it is kept
  exit 0
fi

PROGRAM="${1:-$ROOT/build/bin/velomira}"
SECONDS_MEASURED="${2:-20}"
source "$ROOT/scripts/pulse.sh"
pulse_start
work="$(mktemp -d)"
trap 'pulse_stop all; rm -rf "$work"' EXIT
cp "$PROGRAM" "$work/velomira"  # its settings file goes beside it
printf '[Signal]\r\nCam = 1\r\nCamPhase = +20.0\r\n' >"$work/velomira.ini"
unset SDL_AUDIODRIVER QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$work/velomira" "$SECONDS_MEASURED" "$work" \
  "$(cat "$VELOMIRA_PULSE_DIR/daemon.pid")"

#!/usr/bin/env bash
# A private sound server for the tests and benchmarks, PulseAudio or (`pulse_start pipewire`,
# scripts/pipewire.sh) PipeWire with pipewire-pulse: its own XDG_RUNTIME_DIR, no
# cookie, null sinks "out48" (48 kHz, the default), "out44" (44.1 kHz) and "out96" (96 kHz),
# each with a name of its own (SDL finds the default output by it) and suspended after a
# second without a stream, as a desktop's sinks are.
# Nothing of a desktop's own sound server is touched: every client started after pulse_start
# talks to this one.
#
#   source scripts/pulse.sh; pulse_start [pulseaudio|pipewire]; trap 'pulse_stop all' EXIT
#   scripts/pulse.sh stop | start      (a test taking the running server away and back)

source "$(dirname "${BASH_SOURCE[0]}")/pipewire.sh"

pulse_daemon() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=false --disallow-exit --no-cpu-limit \
    --log-target=stderr --log-level=warning \
    -L "module-null-sink sink_name=out48 rate=48000 norewinds=1 sink_properties=device.description=out48" \
    -L "module-null-sink sink_name=out44 rate=44100 norewinds=1 sink_properties=device.description=out44" \
    -L "module-null-sink sink_name=out96 rate=96000 norewinds=1 sink_properties=device.description=out96" \
    -L "module-native-protocol-unix auth-anonymous=1" \
    -L "module-suspend-on-idle timeout=1" \
    </dev/null >>"$VELOMIRA_PULSE_DIR/daemon.log" 2>&1 &
  echo $! >"$VELOMIRA_PULSE_DIR/daemon.pid"
  disown $!  # a plain `wait` of the caller's must not wait for the server
  local tries
  for tries in $(seq 50); do
    pactl info >/dev/null 2>&1 && pactl set-default-sink out48 && return 0
    sleep 0.1
  done
  echo "PulseAudio did not start; its log:" >&2
  cat "$VELOMIRA_PULSE_DIR/daemon.log" >&2
  return 1
}

# The kind is kept in the folder, so that a restart brings back the same server.
pulse_start() {
  if [ -z "${VELOMIRA_PULSE_DIR:-}" ]; then
    VELOMIRA_PULSE_DIR="$(mktemp -d /tmp/velomira-pulse.XXXXXX)"
    export VELOMIRA_PULSE_DIR
  fi
  [ -n "${1:-}" ] && echo "$1" >"$VELOMIRA_PULSE_DIR/kind"
  export XDG_RUNTIME_DIR="$VELOMIRA_PULSE_DIR"
  export PULSE_SERVER="unix:$VELOMIRA_PULSE_DIR/pulse/native"
  case "$(cat "$VELOMIRA_PULSE_DIR/kind" 2>/dev/null || echo pulseaudio)" in
    pipewire) pipewire_daemon ;;
    *) pulse_daemon ;;
  esac
}

# Stops the server of pulse_start (also one a test has restarted); the folder stays for a
# later start until pulse_stop is given "all".
pulse_stop() {
  [ -n "${VELOMIRA_PULSE_DIR:-}" ] || return 0
  local pid
  pid="$(cat "$VELOMIRA_PULSE_DIR/daemon.pid" 2>/dev/null || true)"
  if [ "$(cat "$VELOMIRA_PULSE_DIR/kind" 2>/dev/null)" = pipewire ]; then
    [ -z "$pid" ] || pipewire_kill "$pid" || true
  else
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  fi
  if [ -n "$pid" ]; then
    while kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
  fi
  rm -f "$VELOMIRA_PULSE_DIR/daemon.pid"
  if [ "${1:-}" = all ]; then
    rm -rf "$VELOMIRA_PULSE_DIR"
    unset VELOMIRA_PULSE_DIR PULSE_SERVER XDG_RUNTIME_DIR
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  : "${VELOMIRA_PULSE_DIR:?no private PulseAudio server was started (source scripts/pulse.sh; pulse_start)}"
  case "${1:-}" in
    start) pulse_start ;;
    stop) pulse_stop ;;
    *) echo "usage: $0 start|stop" >&2; exit 2 ;;
  esac
fi

# The private PipeWire of scripts/pulse.sh (`pulse_start pipewire`): pipewire, wireplumber
# and pipewire-pulse on a session bus of their own, in the private runtime folder, with the
# same null sinks as the private PulseAudio, loaded through pipewire-pulse. Sourced by
# scripts/pulse.sh; nothing here is meant to be called directly.

# The graph may run at each sink's own rate, so that nothing is resampled.
pipewire_config() {
  mkdir -p "$VELOMIRA_PULSE_DIR/config/pipewire/pipewire.conf.d" "$VELOMIRA_PULSE_DIR/state"
  cat >"$VELOMIRA_PULSE_DIR/config/pipewire/pipewire.conf.d/rates.conf" <<'CONF'
context.properties = {
    default.clock.rate = 48000
    default.clock.allowed-rates = [ 44100 48000 96000 ]
}
CONF
}

pipewire_daemon() {
  pipewire_config
  local log="$VELOMIRA_PULSE_DIR/daemon.log"
  (
    export XDG_CONFIG_HOME="$VELOMIRA_PULSE_DIR/config" XDG_STATE_HOME="$VELOMIRA_PULSE_DIR/state"
    export PIPEWIRE_RUNTIME_DIR="$VELOMIRA_PULSE_DIR" PULSE_RUNTIME_PATH="$VELOMIRA_PULSE_DIR/pulse"
    export DISPLAY= WAYLAND_DISPLAY= PIPEWIRE_LOG_SYSTEMD=false
    rm -f "$VELOMIRA_PULSE_DIR"/pipewire-0 "$VELOMIRA_PULSE_DIR"/pipewire-0.lock
    # A process group of its own, so that pulse_stop ends the bus and all three at once. The
    # other two give up when PipeWire is not there yet.
    exec setsid dbus-run-session -- sh -c 'pipewire & pw=$!
      while [ ! -S "$PIPEWIRE_RUNTIME_DIR/pipewire-0" ]; do sleep 0.02; done
      wireplumber & pipewire-pulse & wait "$pw"'
  ) </dev/null >>"$log" 2>&1 &
  echo $! >"$VELOMIRA_PULSE_DIR/daemon.pid"
  disown $!
  local tries
  for tries in $(seq 100); do
    if pactl info >/dev/null 2>&1; then
      pactl load-module module-null-sink sink_name=out48 rate=48000 sink_properties=device.description=out48 >/dev/null &&
        pactl load-module module-null-sink sink_name=out44 rate=44100 sink_properties=device.description=out44 >/dev/null &&
        pactl load-module module-null-sink sink_name=out96 rate=96000 sink_properties=device.description=out96 >/dev/null &&
        break
    fi
    sleep 0.1
  done
  for tries in $(seq 50); do
    pactl set-default-sink out48 2>/dev/null && [ "$(pactl get-default-sink 2>/dev/null)" = out48 ] && return 0
    sleep 0.1
  done
  echo "PipeWire did not start; its log:" >&2
  cat "$log" >&2
  return 1
}

# dbus-run-session does not pass a signal on: its whole process group is ended.
pipewire_kill() {
  kill -TERM -- "-$1" 2>/dev/null
}

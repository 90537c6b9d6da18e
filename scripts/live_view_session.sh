# The program on a private X server, driven as a user drives it: "Start", then Signal > "Show
# signal". Sourced by scripts/screenshot_live_view and bench/live_view_cpu.sh, inside
# xvfb-run. Coordinates are those of the window's own layout (main_window.cpp), below a menu
# bar 17 pixels high.

# live_main_window: waits for the main window and prints its id.
live_main_window() {
  timeout 30 xdotool search --sync --onlyvisible --name '^Velomira V' | head -n 1
}

# live_start WINDOW: clicks "Start".
live_start() {
  xdotool mousemove --window "$1" 115 187 click 1
  sleep 0.5
}

# live_open_view WINDOW: opens the Signal menu and takes its last item, "Show signal"; prints
# the live view's window id.
live_open_view() {
  xdotool mousemove --window "$1" 97 8 click 1
  sleep 0.5
  xdotool key Up Return
  timeout 10 xdotool search --sync --onlyvisible --name '^Signal$' | head -n 1
}

# live_thread_ticks PID: "tid name ticks" a line for each thread, ticks of user and system time.
live_thread_ticks() {
  local task
  for task in /proc/"$1"/task/*; do
    echo "${task##*/} $(tr ' ' '_' <"$task/comm") $(awk '{print $14 + $15}' "$task/stat" 2>/dev/null)"
  done
}

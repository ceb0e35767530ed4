#!/usr/bin/env bash
# Runs one outside-in desktop test: a private X display, a private session bus with the
# accessibility bus brought up first, and the driver script talking to the program only
# through AT-SPI. Usage: run.sh <ferrovan binary> <driver.py> [screenshot folder]
set -euo pipefail
binary=$1
driver=$2
shots=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool dbus-run-session /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "desktop test: $tool is missing" >&2; exit 1; }
done

# The DB2 test server's coordinates, as every suite takes them.
if [[ -n "${FERROVAN_TEST_ENV_FILE:-}" ]]; then
  while IFS= read -r line; do
    [[ "$line" == *=* ]] && export "$line"
  done <"$FERROVAN_TEST_ENV_FILE"
fi

work=$(mktemp -d /tmp/ferrovan-desktop-XXXXXX)
xvfb_pid=
cleanup() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display number of its own, far from :0 where a developer's or another tool's server
# may come and go; Xvfb writes the number once it accepts clients, and refuses a number
# whose lock another server holds, so the next is tried.
start_xvfb() {
  local number=$1
  : >"$work/display"
  Xvfb ":$number" -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 1 200); do
    [[ -s "$work/display" ]] && return 0
    kill -0 "$xvfb_pid" 2>/dev/null || { wait "$xvfb_pid" 2>/dev/null; xvfb_pid=; return 1; }
    sleep 0.05
  done
  return 1
}
first=$((300 + RANDOM % 600))
for offset in $(seq 0 20); do
  start_xvfb $((first + offset)) && break
done
[[ -s "$work/display" ]] || { cat "$work/xvfb.log" >&2; echo "desktop test: no X display could be started" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
xdotool getdisplaygeometry >/dev/null || { echo "desktop test: display $DISPLAY does not answer" >&2; exit 1; }

# The program's settings and folders live in this run's folder only.
export HOME="$work/home"
export FERROVAN_SETTINGS_FILE="$work/config/quillmark/settings.reg"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_DOCUMENTS_DIR="$work/documents"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export FERROVAN_DESKTOP_BINARY="$binary" FERROVAN_DESKTOP_SHOTS="$shots"
export FERROVAN_DESKTOP_FIXTURES="$here/../fixtures"

dbus-run-session -- /usr/bin/python3 "$driver"

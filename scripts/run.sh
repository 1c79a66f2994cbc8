#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and starts it with the
# player. With no display to show it on, it runs on a private Xvfb instead:
# a screenshot goes to build/screenshot.png after a few seconds, then it ends.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset linux
cmake --build --preset linux

if [ -n "${WAYLAND_DISPLAY:-}" ] || { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
  exec ./build/sonabel
fi

number=99
while [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ]; do
  number=$((number + 1))
done
export DISPLAY=":${number}"

pids=()
cleanup() {
  # Newest first: the program, then the window manager, then the server.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT

Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${number}" ] && break
  sleep 0.1
done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

echo "No display: running Sonabel on Xvfb ${DISPLAY} for a screenshot."
./build/sonabel &
pids+=($!)
sleep 6
import -window root build/screenshot.png
echo "Screenshot saved: $(pwd)/build/screenshot.png"

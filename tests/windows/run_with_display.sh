#!/usr/bin/env bash
# Runs a command (a wine program, or a script that starts one) on an Xvfb
# display of its own, with a spare wine drive letter mapped to an empty folder
# so that tests can work in a drive's root: SONABEL_TEST_DRIVE holds the
# letter ("T:"), SONABEL_TEST_DRIVE_FOLDER the folder.
# Usage: run_with_display.sh WINE COMMAND [ARGS...]
set -euo pipefail
wine="$1"
shift

prefix="${WINEPREFIX:-$HOME/.wine}"
work="$(mktemp -d)"
xvfb_pid=""
drive_link=""

cleanup() {
    # Let wine's own processes go before their display does.
    wineserver -w 2>/dev/null || true
    [ -n "$drive_link" ] && rm -f "$drive_link"
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A wine session started without a display (another test before this one)
# keeps a desktop that cannot draw; wait for it to end.
wineserver -w 2>/dev/null || true

Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

if [ ! -d "$prefix/dosdevices" ]; then
    "$wine" cmd /c exit >/dev/null 2>&1 || true
fi
mkdir -p "$work/drive"
for letter in t u v w x y s r; do
    candidate="$prefix/dosdevices/$letter:"
    if [ -d "$prefix/dosdevices" ] && [ ! -e "$candidate" ] && [ ! -L "$candidate" ]; then
        ln -s "$work/drive" "$candidate"
        drive_link="$candidate"
        export SONABEL_TEST_DRIVE="${letter^^}:"
        export SONABEL_TEST_DRIVE_FOLDER="$work/drive"
        break
    fi
done

status=0
"$@" || status=$?
exit "$status"

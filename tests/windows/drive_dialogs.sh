#!/usr/bin/env bash
# Answers the real open-file dialog and folder browser with xdotool, the way a
# person would at the keyboard, and checks what reaches the page. Runs inside
# run_with_display.sh. Usage: drive_dialogs.sh WINE DIALOG_DRIVER
set -euo pipefail
wine="$1"
driver="$2"
drive="$SONABEL_TEST_DRIVE"
folder="$SONABEL_TEST_DRIVE_FOLDER"
out="$(mktemp)"
trap 'rm -f "$out"' EXIT

passed=0
failed=0
check() {
    if grep -qF -- "$2" "$out"; then passed=$((passed + 1)); else echo "FAIL: $1: no '$2' in:"; cat "$out"; failed=$((failed + 1)); fi
}
check_not() {
    if grep -qF -- "$2" "$out"; then echo "FAIL: $1: '$2' in:"; cat "$out"; failed=$((failed + 1)); else passed=$((passed + 1)); fi
}

# Opens the dialog of KIND, waits for the window titled TITLE, gives it the
# keyboard and runs ANSWER; the driver's output lands in $out.
run_dialog() {
    local kind="$1" title="$2" answer="$3"
    timeout 120 "$wine" "$driver" "$kind" >"$out" 2>/dev/null &
    local driver_pid=$!
    local window
    window="$(timeout 60 xdotool search --sync --name "^$title\$" | head -n1)"
    sleep 1
    xdotool windowfocus --sync "$window"
    sleep 0.5
    "$answer"
    wait "$driver_pid" || true
}

type_slowly() { xdotool type --delay 80 -- "$1"; }

touch "$folder/a.mp3" "$folder/b.flac" "$folder/notes.txt"
mkdir -p "$folder/music/Sub"
touch "$folder/music/one.mp3" "$folder/music/two.txt" "$folder/music/Sub/three.FLAC"

# Several files in a drive's root, one of them through "All Files".
answer_files() {
    type_slowly "$drive\\"
    xdotool key Return
    sleep 1.5
    type_slowly '"a.mp3" "notes.txt"'
    sleep 0.5
    xdotool key Return
}
run_dialog file Open answer_files
check "files" "file:///$drive/a.mp3\\\",\\\"format\\\":\\\"MP3\\\""
check "files" "file:///$drive/notes.txt\\\",\\\"format\\\":\\\"TXT\\\""
check_not "files" "b.flac"
check "files" "done"

answer_cancel() { xdotool key Escape; }
run_dialog file Open answer_cancel
check_not "cancelled file dialog" "addTracksBatch"
check "cancelled file dialog" "done"

# The folder tree by keyboard: the root of the Unix file system sits right
# under Desktop; each folder is found by typing its name and opened with Right.
answer_folder() {
    xdotool key Down Right
    local part
    IFS=/ read -r -a parts <<<"${folder#/}/music"
    for part in "${parts[@]}"; do
        sleep 1
        type_slowly "$part"
        sleep 1.2
        xdotool key Right
    done
    sleep 1
    xdotool key Return
}
run_dialog folder "Browse for Folder" answer_folder
# wine names the folder through the drive letter mapped to it.
music_url="file:///$drive/music"
check "folder" "$music_url/one.mp3"
check "folder" "$music_url/Sub/three.FLAC"
check_not "folder" "two.txt"
check "folder" "done"

run_dialog folder "Browse for Folder" answer_cancel
check_not "cancelled folder browser" "addTracksBatch"
check "cancelled folder browser" "done"

echo "dialogs: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

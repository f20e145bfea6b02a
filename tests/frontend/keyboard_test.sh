#!/usr/bin/env bash
# The real KOVA under Xvfb with openbox, prepared and started with the keyboard alone, as the
# windows' focus orders give it: the focus starts on "Select Input File" and on "KOVA", Tab and
# Shift+Tab walk the controls, Enter presses the focused button. The engine "kova1" is a stand-in
# that only leaves a mark, so the test shows which button Enter pressed.
# Usage: keyboard_test.sh KOVA
set -euo pipefail

source "$(dirname "$0")/kova_xdriver.sh"
[ -n "${KOVA_E2E_DISPLAY_READY:-}" ] || rerun_on_own_display "$0" "$@"

kova=$1
run=$(mktemp -d "${TMPDIR:-/tmp}/kova-keys-XXXXXX")
kova_pid=""
wm_pid=""
cleanup() {
  [ -n "$kova_pid" ] && kill "$kova_pid" 2>/dev/null || true
  for win in $(xdotool search --class XTerm 2>/dev/null); do
    pid=$(xdotool getwindowpid "$win" 2>/dev/null) && kill "$pid" 2>/dev/null || true
  done
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT

mkdir -p "$run/bin" "$run/path" "$run/home" "$run/data"
mkdir -m 700 "$run/runtime"
cp "$kova" "$run/bin/"
printf '#!/bin/sh\ntouch "%s"\n' "$run/kova1-started" >"$run/bin/kova1"
chmod +x "$run/bin/kova1"
ln -s "$(command -v xterm)" "$run/path/x-terminal-emulator"
printf 'g1 1 2 3\r\ng2 2 4 7\r\n' >"$run/data/matrix.txt"
input="$run/data/matrix.txt"
output="$run/data/result.txt"

wm_pid=$(start_window_manager) && [ -n "$wm_pid" ]
(cd "$run" && HOME="$run/home" XDG_RUNTIME_DIR="$run/runtime" PATH="$run/path:$PATH" exec "$run/bin/KOVA") &
kova_pid=$!
wait_for_window KOVA >/dev/null
sleep 0.5

# "Select Input File" has the focus at start.
key_once shown "Select Input File for Clustering" Return
answer_file_dialog "Select Input File for Clustering" "$input"
wait_for_bytes "$run/home/outinfo.txt" "$input"$'\r\n'

# Back from "Select Input File" to the last in the focus order, "Enter Input Description".
key_once shown "Input parameters" shift+Tab Return
# Genes box, samples box, then "Submit" before the threshold box.
xdotool type --delay 20 2
xdotool key Tab
xdotool type --delay 20 3
xdotool key Tab Tab
xdotool type --delay 20 0.9
key_once gone "Input parameters" shift+Tab Return
wait_for_bytes "$run/home/doutinfo.txt" $'2\r\n3\r\n0.9\r\n'

# From "Enter Input Description" round to "Select Input File", then "Enter Output File Name".
key_once shown "Enter Output File for Storing Clustered Output" Tab Tab Return
answer_file_dialog "Enter Output File for Storing Clustered Output" "$output"
wait_for_bytes "$run/home/outinfo.txt" "$input"$'\r\n'"$output"$'\r\n'

key_once shown Execute Tab Return
# "KOVA" has the focus: Enter starts kova1.
key_once gone Execute Return
for _ in $(seq 50); do [ -e "$run/kova1-started" ] && break; sleep 0.2; done
[ -e "$run/kova1-started" ] || xdriver_fail "Enter on \"KOVA\" did not start kova1"
echo "PASS: a run prepared and started with the keyboard alone"

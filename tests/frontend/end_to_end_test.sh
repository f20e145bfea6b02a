#!/usr/bin/env bash
# The real KOVA under Xvfb with the openbox window manager, driven with xdotool through a whole
# run as a person does it: paths typed into the dialogs, every click once and with its effect the
# first time (a click without its effect fails the test). Input file, parameters, output file,
# engine kova2 in its xterm window, where the answer is typed. KOVA is ended while the engine
# still waits, and the worked example's two result files must come out exactly.
# Usage: end_to_end_test.sh KOVA kova2 worked_example.txt kova_layout_dump
set -euo pipefail

source "$(dirname "$0")/kova_xdriver.sh"
[ -n "${KOVA_E2E_DISPLAY_READY:-}" ] || rerun_on_own_display "$0" "$@"

kova=$1 engine=$2 example=$3
export KOVA_LAYOUT_DUMP=$4

# No "." in the folder names: a path piece with a "." ends a path in the run description.
run=$(mktemp -d "${TMPDIR:-/tmp}/kova-e2e-XXXXXX")
kova_pid=""
cleanup() {
  [ -n "$kova_pid" ] && kill "$kova_pid" 2>/dev/null || true
  # The engine's terminal is detached from us: end it by the pid its window names.
  for win in $(xdotool search --class XTerm 2>/dev/null); do
    pid=$(xdotool getwindowpid "$win" 2>/dev/null) && kill "$pid" 2>/dev/null || true
  done
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT

# KOVA and kova2 side by side, as installed; the terminal is xterm, whatever the system's choice.
mkdir -p "$run/bin" "$run/path" "$run/home" "$run/work" "$run/data dir"
cp "$kova" "$engine" "$run/bin/"
ln -s "$(command -v xterm)" "$run/path/x-terminal-emulator"
cp "$example" "$run/data dir/matrix.txt"
input="$run/data dir/matrix.txt"
output="$run/data dir/result.txt"

mkdir -m 700 "$run/runtime"
wm_pid=$(start_window_manager) && [ -n "$wm_pid" ]
(cd "$run/work" && HOME="$run/home" XDG_RUNTIME_DIR="$run/runtime" PATH="$run/path:$PATH" exec "$run/bin/KOVA") &
kova_pid=$!

click_once shown "Select Input File for Clustering" main_click select-input
answer_file_dialog "Select Input File for Clustering" "$input"
wait_for_bytes "$run/home/outinfo.txt" "$input"$'\r\n'

click_once shown "Input parameters" main_click input-description
parameters_click genes; type_into "Input parameters" 5
parameters_click samples; type_into "Input parameters" 5
parameters_click threshold; type_into "Input parameters" 0.9
click_once gone "Input parameters" parameters_click submit
wait_for_bytes "$run/home/doutinfo.txt" $'5\r\n5\r\n0.9\r\n'

click_once shown "Enter Output File for Storing Clustered Output" main_click output
answer_file_dialog "Enter Output File for Storing Clustered Output" "$output"
wait_for_bytes "$run/home/outinfo.txt" "$input"$'\r\n'"$output"$'\r\n'

click_once shown Execute main_click start
click_once gone Execute engine_click kova2
wait_for_window KOVA >/dev/null

# The engine has read the run description and created its files when the report exists; it then
# asks for the maximum (what is typed before the prompt waits in the terminal).
for _ in $(seq 100); do [ -e "$run/work/bicluster_report.txt" ] && break; sleep 0.2; done
[ -e "$run/work/bicluster_report.txt" ] || xdriver_fail "the engine created no bicluster_report.txt in KOVA's folder"
terminal=$(xdotool search --class XTerm | awk 'NR == 1')
[ -n "$terminal" ] || xdriver_fail "no xterm window for the engine"
# The terminal may open over KOVA: move it aside, so that the click on "Exit" reaches KOVA.
xdotool windowmove --sync "$terminal" 400 300 2>/dev/null || xdotool windowmove "$terminal" 400 300

# Closing KOVA must not end the engine that waits for its answer.
click_once gone KOVA main_click exit
for _ in $(seq 50); do kill -0 "$kova_pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$kova_pid" 2>/dev/null && xdriver_fail "KOVA did not end on Exit"
kova_pid=""
xdotool getwindowname "$terminal" >/dev/null 2>&1 || xdriver_fail "the engine's terminal ended with KOVA"

xdotool windowfocus --sync "$terminal" 2>/dev/null || true
xdotool type --delay 50 10
xdotool key Return

wait_for_bytes "$output" $'3\t5\r\nsample1, sample2, sample3, sample4, sample5, \r\ng1\tg2\tg4\t\r\n2\t3\r\nsample2, sample4, sample5, \r\ng1\tg3\t\r\n2\t3\r\nsample1, sample3, sample5, \r\ng1\tg5\t\r\n' 30
wait_for_bytes "$run/work/bicluster_report.txt" $'Bicluster\tNo. of rows\tNo. of columns\tSize\r\nBicluster1\t3\t5\t15\r\nBicluster2\t2\t3\t6\r\nBicluster3\t2\t3\t6\r\ngene in number of Bicluster\r\n3\t1\t1\t1\t1\t\r\nsamples in number of Bicluster\r\n2\t2\t2\t2\t3\t\r\n' 30

# "Press Enter to close": the terminal goes once the engine has ended. The engine drops the keys
# typed before it shows that line (it flushes its terminal's input), so Enter goes only once it
# waits in a read of its terminal, the only read after its output file is complete.
descendants() {
  local child
  for child in $(pgrep -P "$1"); do echo "$child"; descendants "$child"; done
}
engine_pid=""
for pid in $(descendants "$(xdotool getwindowpid "$terminal")"); do
  [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = kova2 ] && engine_pid=$pid
done
[ -n "$engine_pid" ] || xdriver_fail "no kova2 process in the engine's terminal"
case $(uname -m) in aarch64) read_call=63 ;; *) read_call=0 ;; esac
for _ in $(seq 100); do
  [ "$(cut -d' ' -f1,2 "/proc/$engine_pid/syscall" 2>/dev/null)" = "$read_call 0x0" ] && break
  sleep 0.1
done
[ "$(cut -d' ' -f1,2 "/proc/$engine_pid/syscall" 2>/dev/null)" = "$read_call 0x0" ] ||
  xdriver_fail "kova2 did not wait for Enter after its last line"
xdotool key Return
for _ in $(seq 50); do xdotool getwindowname "$terminal" >/dev/null 2>&1 || break; sleep 0.2; done
xdotool getwindowname "$terminal" >/dev/null 2>&1 && xdriver_fail "the engine's terminal did not close after the run"
echo "PASS: a whole run from KOVA through kova2 in xterm gave the worked example's result files"

#!/usr/bin/env bash
# Takes screenshots of the front end's three windows under Xvfb with openbox into docs/ (main
# window with a chosen input file, the input parameters window with entries, the engine selection
# window). Builds KOVA first when needed, in build/ or in the folder KOVA_BUILD names. The pictures
# show the windows' client areas, without the window manager's title bars.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${KOVA_SCREENSHOT_DISPLAY_READY:-}" ]; then
  tools/install-deps.sh
  build=${KOVA_BUILD:-build}
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target KOVA kova_layout_dump -j 2
  KOVA_SCREENSHOT_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
fi

source tests/frontend/kova_xdriver.sh
export KOVA_LAYOUT_DUMP="$PWD/${KOVA_BUILD:-build}/tests/frontend/core/kova_layout_dump"
run=$(mktemp -d "${TMPDIR:-/tmp}/kova-shots-XXXXXX")
kova_pid=""
wm_pid=""
trap '[ -n "$kova_pid" ] && kill "$kova_pid" 2>/dev/null; [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null; rm -rf "$run"' EXIT
mkdir -p "$run/home" "$run/data" docs
mkdir -m 700 "$run/runtime"
cp examples/worked_example.txt "$run/data/genes.txt"

kova="$PWD/${KOVA_BUILD:-build}/frontend/KOVA"
wm_pid=$(start_window_manager)
(cd "$run" && HOME="$run/home" XDG_RUNTIME_DIR="$run/runtime" exec "$kova") &
kova_pid=$!

shoot() {  # window title, file in docs/
  sleep 0.5
  import -window "$(wait_for_window "$1")" "docs/$2"
  echo "docs/$2"
}

click_once shown "Select Input File for Clustering" main_click select-input
answer_file_dialog "Select Input File for Clustering" "$run/data/genes.txt"
shoot KOVA frontend_main_window.png

click_once shown "Input parameters" main_click input-description
parameters_click genes; type_into "Input parameters" 5
parameters_click samples; type_into "Input parameters" 5
parameters_click threshold; type_into "Input parameters" 0.9
shoot "Input parameters" frontend_input_parameters.png

click_once gone "Input parameters" parameters_click submit
click_once shown "Enter Output File for Storing Clustered Output" main_click output
answer_file_dialog "Enter Output File for Storing Clustered Output" "$run/data/result.txt"
click_once shown Execute main_click start
shoot Execute frontend_execute.png

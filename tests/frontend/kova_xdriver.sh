# Drives the real KOVA on an X display with xdotool: finds its windows, clicks controls at their
# places in the control tables (in twips, scaled by the window's real width) and types into
# dialogs.
# Sourced by the end-to-end test and by tools/screenshots.sh.

# rerun_on_own_display SCRIPT ARGS...: runs SCRIPT again on an Xvfb display of its own (with
# KOVA_E2E_DISPLAY_READY set) and exits with its status; exits 77 (skipped) where Xvfb is missing.
rerun_on_own_display() {
  if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed, so the front end cannot be shown on an X display"
    exit 77
  fi
  local tool
  for tool in xdotool xterm openbox xprop; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/install-deps.sh installs it)" >&2; exit 1; }
  done
  # Xvfb picks a free display itself (-displayfd): xvfb-run -a can race with another X server
  # starting at the same time and leave the test without a display.
  local display_file xvfb_pid status=0
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$display_file" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    echo "FAIL: Xvfb did not start" >&2
    exit 1
  fi
  DISPLAY=":$(head -n 1 "$display_file")" KOVA_E2E_DISPLAY_READY=1 bash "$@" || status=$?
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  rm -f "$display_file"
  exit "$status"
}

# Starts openbox on $DISPLAY and waits until it manages windows; echoes its pid. An openbox that
# ends at once (it could not open a display that had only just started) is started again.
start_window_manager() {
  local log pid attempt
  log=$(mktemp)
  for attempt in 1 2 3; do
    openbox --sm-disable >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 150); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break 2
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    sleep 0.5
  done
  if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    cat "$log" >&2
    rm -f "$log"
    xdriver_fail "openbox did not start"
  fi
  rm -f "$log"
  echo "$pid"
}

xdriver_fail() {
  echo "FAIL: $*" >&2
  [ -n "${KOVA_XDRIVER_SHOT:-}" ] && import -window root "$KOVA_XDRIVER_SHOT" 2>/dev/null
  exit 1
}

# Echoes the id of the visible window whose title is exactly $1; fails after $2 seconds (10).
wait_for_window() {
  local title=$1 limit=${2:-10} id
  local end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  xdriver_fail "no window \"$title\" appeared within ${limit}s"
}

wait_until_gone() {
  local title=$1 limit=${2:-10}
  local end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  xdriver_fail "window \"$title\" still there after ${limit}s"
}

# The windows' control tables, as kova_layout_dump prints them: "caption<TAB>name<TAB>left top
# width height" in twips within the client area; KOVA_LAYOUT_DUMP names the program.
xdriver_layout() {
  [ -n "${KOVA_LAYOUT_DUMP:-}" ] || xdriver_fail "KOVA_LAYOUT_DUMP is not set"
  "$KOVA_LAYOUT_DUMP" | awk -F'\t' -v w="$1" -v n="$2" '$1 == w && $2 == n { print $3 }'
}

# click_control TITLE CONTROL: clicks the middle of the control where its twips put it, scaled
# by the window's real width.
click_control() {
  local win width_px client l t w h
  win=$(wait_for_window "$1")
  read -r _ _ client _ <<<"$(xdriver_layout "$1" -)"
  read -r l t w h <<<"$(xdriver_layout "$1" "$2")"
  [ -n "$h" ] || xdriver_fail "no control $2 in the table of \"$1\""
  width_px=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
  local x=$(( (l + w / 2) * width_px / client )) y=$(( (t + h / 2) * width_px / client ))
  # As a hand does: the pointer enters the window, then goes to the control.
  xdotool mousemove --window "$win" 2 2
  sleep 0.2
  xdotool mousemove --window "$win" "$x" "$y"
  sleep 0.2
  xdotool click 1
  sleep 0.3
}

# Controls of the three windows, by what they do.
main_click() {
  case $1 in
    select-input) click_control KOVA Open ;;
    input-description) click_control KOVA Command4 ;;
    output) click_control KOVA Command1 ;;
    start) click_control KOVA Command2 ;;
    exit) click_control KOVA Command3 ;;
    *) xdriver_fail "no main window control $1" ;;
  esac
}
parameters_click() {
  case $1 in
    genes) click_control "Input parameters" Text1 ;;
    samples) click_control "Input parameters" Text2 ;;
    threshold) click_control "Input parameters" Text3 ;;
    submit) click_control "Input parameters" Command1 ;;
    *) xdriver_fail "no input parameters control $1" ;;
  esac
}
engine_click() {
  case $1 in
    kova1) click_control Execute Command1 ;;
    kova2) click_control Execute Command2 ;;
    *) xdriver_fail "no engine selection control $1" ;;
  esac
}

# window_state TITLE: "shown" or "gone".
window_state() {
  if xdotool search --onlyvisible --name "^${1}\$" >/dev/null 2>&1; then echo shown; else echo gone; fi
}

# click_once STATE TITLE COMMAND...: runs the click COMMAND once; the window TITLE must then be in
# STATE ("shown" or "gone") within 5 seconds. A click without its effect is a failure, never repeated.
click_once() {
  local state=$1 title=$2
  shift 2
  "$@"
  local end=$((SECONDS + 5))
  while [ $SECONDS -lt $end ]; do
    [ "$(window_state "$title")" = "$state" ] && return 0
    sleep 0.2
  done
  xdriver_fail "the click ($*) had no effect: window \"$title\" is not $state"
}

# key_once STATE TITLE KEY...: presses the keys once, in the window that has the focus; the window
# TITLE must then be in STATE ("shown" or "gone") within 5 seconds.
key_once() {
  local state=$1 title=$2
  shift 2
  xdotool key --delay 100 "$@"
  local end=$((SECONDS + 5))
  while [ $SECONDS -lt $end ]; do
    [ "$(window_state "$title")" = "$state" ] && return 0
    sleep 0.2
  done
  xdriver_fail "the keys ($*) had no effect: window \"$title\" is not $state"
}

# Types $2 into the focused widget of the window titled $1 (through XTEST, which every client accepts).
type_into() {
  local win
  win=$(wait_for_window "$1")
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  xdotool type --delay 20 -- "$2"
}

# Answers the file dialog titled $1 with the path $2.
answer_file_dialog() {
  type_into "$1" "$2"
  xdotool key Return
  wait_until_gone "$1"
}

# wait_for_bytes FILE EXPECTED_BYTES [SECONDS]: the file's whole content becomes exactly that.
wait_for_bytes() {
  local file=$1 expected=$2 limit=${3:-10}
  local end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    [ -f "$file" ] && [ "$(od -An -c "$file")" = "$(printf '%s' "$expected" | od -An -c)" ] && return 0
    sleep 0.2
  done
  echo "expected:" >&2; printf '%s' "$expected" | od -c >&2
  echo "found:" >&2; od -c "$file" >&2 2>/dev/null || echo "(no file $file)" >&2
  xdriver_fail "$file did not come out as expected within ${limit}s"
}

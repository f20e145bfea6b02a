#!/usr/bin/env bash
# KOVA for Windows as a user meets it, under Wine on Xvfb with the openbox window manager: the
# installer runs silently into a private Wine prefix, KOVA.exe is started through its Start-menu
# shortcut (so in the shortcut's working folder), and a whole run is clicked through at the
# places the control tables put the controls, with the paths typed into the dialogs; kova2.exe
# asks for the maximum in a console window of its own, where the answer is typed. The worked
# example must come out byte for byte. Every click and key is sent once; a window is waited for
# before anything is sent to it. Also: the focus on "Select Input File" at start and Enter
# pressing it, a cancelled dialog, a click out of order, a threshold the engine cannot read (a
# message box, nothing written), entries that disagree with the matrix (a question; No, the
# default, writes nothing), the question before an earlier result is replaced, the "KOVA"
# button (focused when "Execute" first shows) without kova1.exe (a message box, KOVA keeps
# running), the programs' DLL imports, and the uninstaller (program files gone, the user's results
# kept).
# Usage: frontend_wine_test.sh SETUP.EXE LAYOUT_DUMP WORKED_EXAMPLE [SCREENSHOT_FOLDER]
# KOVA_WINE_DPI (default 96) sets the display's scaling: 120 is 125 %, 144 is 150 %.
# Skips (exit 0) only where Wine is not installed.
set -euo pipefail

setup=$(realpath "$1") layout_dump=$(realpath "$2") example=$(realpath "$3")
shots=${4:+$(realpath -m "$4")}

if ! source "$(dirname "$0")/find_wine.sh"; then
  echo "SKIP: the Windows front end: no Wine found (tools/install-deps.sh installs wine64)"
  exit 0
fi
for tool in Xvfb openbox xdotool x86_64-w64-mingw32-objdump strings; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/install-deps.sh installs it)"; exit 1; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kova-wine-frontend.XXXXXX")
xvfb_pid="" openbox_pid=""
cleanup() {
  if [ -n "$wineserver" ]; then "$wineserver" -k >/dev/null 2>&1 || true; fi
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# A private Wine prefix and home: the real ones are never touched.
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_DATA_HOME=$tmp/home/.local/share
export XDG_CACHE_HOME=$tmp/home/.cache WINEPREFIX=$tmp/prefix
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LC_ALL=C.UTF-8
# The texts of message boxes go to the log, so that the test reads what the user reads; so do the
# console's reads and flushes, so that a key goes to kova2 only when it waits for one.
export WINEDEBUG=-all,trace+msgbox,trace+console
mkdir -p "$HOME"

# Xvfb picks a free display itself (-displayfd); openbox manages the windows as a desktop would.
display_file=$tmp/display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n 1 "$display_file")"
openbox >/dev/null 2>&1 &
openbox_pid=$!

passed=0 failed=0 case_name="" case_ok=1
begin() { case_name=$1; case_ok=1; echo "-- $case_name"; }
fail() { echo "   FAIL [$case_name] $*"; case_ok=0; }
end() {
  if [ "$case_ok" = 1 ]; then passed=$((passed + 1)); echo "ok   $case_name"
  else failed=$((failed + 1)); echo "FAIL $case_name"; fi
}
give_up() {  # a step without which the rest cannot run (also from within $(...): to stderr)
  echo "FAIL [$case_name] $*" >&2
  if [ -n "$shots" ]; then
    mkdir -p "$shots"
    import -window root "$shots/failure.png" 2>/dev/null
    cp "$tmp/kova.log" "$shots/kova.log" 2>/dev/null
  fi
  {
    echo "windows shown:"
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do echo "  $w $(xdotool getwindowname "$w" 2>/dev/null)"; done
    echo "Windows programs running:"
    pgrep -af '\.exe' | sed 's/^/  /' || true
    [ -n "${work:-}" ] && ls -l "$work" | sed 's/^/  /'
  } >&2
  echo "$passed passed, $((failed + 1)) failed" >&2
  exit 1
}

# --- driving the windows -------------------------------------------------------------------------
dpi=${KOVA_WINE_DPI:-96}  # 96: 15 twips a pixel

# The visible window whose title is exactly $1; gives up after $2 seconds (30). awk, not head, takes
# the first id: it reads to the end, so xdotool never dies of SIGPIPE and fails the pipe.
window_id() {
  local id
  id=$(timeout "${2:-30}" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | awk 'NR == 1') ||
    give_up "no window \"$1\" appeared"
  echo "$id"
}
wait_until_gone() {
  local end=$((SECONDS + ${2:-30}))
  while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || give_up "window \"$1\" still there"
    sleep 0.2
  done
}
# Waits until the window $1 has the keyboard focus, so that typing goes there.
wait_for_focus() {
  local end=$((SECONDS + 30))
  until [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] || [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; do
    [ $SECONDS -lt $end ] || give_up "window $1 did not get the focus"
    sleep 0.2
  done
}
twips() { awk -F'\t' -v w="$1" -v n="$2" '$1 == w && $2 == n { print $3 }' "$tmp/layout"; }
px() { echo $((($1 * dpi + 720) / 1440)); }

# click WINDOW_TITLE CONTROL: one click in the middle of the control, where its twips put it in the
# window's client area (Wine's X window is the client area; openbox draws the frame around it).
# KOVA scales the twips with its font, the same for every control: so by the real width.
click() {
  local id l t w h client width_px
  id=$(window_id "$1")
  read -r l t w h <<<"$(twips "$1" "$2")"
  [ -n "$h" ] || give_up "no control $2 in the table of \"$1\""
  read -r _ _ client _ <<<"$(twips "$1" -)"
  width_px=$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
  xdotool mousemove --sync --window "$id" $(((l + w / 2) * width_px / client)) $(((t + h / 2) * width_px / client))
  xdotool click 1
}
# type_into TITLE TEXT: waits for the window and its focus, then types as a keyboard does.
type_into() {
  local id
  id=$(window_id "$1")
  wait_for_focus "$id"
  xdotool type --delay 30 -- "$2"
}
answer_dialog() {  # title, path
  type_into "$1" "$2"
  xdotool key Return
  wait_until_gone "$1"
}
# wait_for_bytes FILE EXPECTED [SECONDS]: the file's whole content becomes exactly that.
wait_for_bytes() {
  local end=$((SECONDS + ${3:-30}))
  while [ $SECONDS -lt $end ]; do
    [ -f "$1" ] && cmp -s "$1" <(printf '%s' "$2") && return 0
    sleep 0.2
  done
  echo "   expected:"; printf '%s' "$2" | od -c | head -20
  echo "   found:"; od -c "$1" 2>/dev/null | head -20 || echo "   (no file $1)"
  return 1
}
# answer_message_box TEXT [KEY [TITLE]]: the message box (title TITLE, default KOVA) that says
# TEXT: its text appears in the log, it gets the focus, KEY (default Return) is pressed once, and
# it goes. The main window, also called KOVA, is never taken for it.
answer_message_box() {
  local text=$1 key=${2:-Return} title=${3:-KOVA} end=$((SECONDS + 30)) box=""
  until grep -aF -- "$text" "$tmp/kova.log" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || { fail "no message box saying \"$text\""; return 0; }
    sleep 0.2
  done
  message_boxes_shown=$((message_boxes_shown + 1))
  end=$((SECONDS + 30))
  until [ -n "$box" ]; do
    [ $SECONDS -lt $end ] || give_up "the message box \"$text\" did not appear"
    sleep 0.2
    box=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | grep -vx "$main" | tail -n 1) || true
  done
  wait_for_focus "$box"
  xdotool key "$key"
  end=$((SECONDS + 30))
  while xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | grep -qx "$box"; do
    [ $SECONDS -lt $end ] || give_up "the message box \"$text\" did not close"
    sleep 0.2
  done
}
# Message boxes shown so far (each leaves a line in the log) against those the test answered.
message_boxes_shown=0
no_other_message_box() {
  [ "$(grep -ac 'trace:msgbox' "$tmp/kova.log" || true)" = "$message_boxes_shown" ] ||
    fail "a message box came that was not expected: $(grep -a 'trace:msgbox' "$tmp/kova.log" | tail -n 1)"
}
shot() {  # name, window id: the window with openbox's frame, as the user sees it
  [ -n "$shots" ] || return 0
  local id=$2
  mkdir -p "$shots"
  sleep 0.5
  import -frame -window "$id" "$shots/$1.png" 2>/dev/null || true
}
unix_path() { "$wine" winepath.exe -u "$1" 2>/dev/null | tr -d '\r'; }

"$layout_dump" >"$tmp/layout"

# --- install ---------------------------------------------------------------------------------------
begin "silent install"
"$wine" wineboot -i >/dev/null 2>&1 || give_up "the Wine prefix could not be made"
# Windows comes with Microsoft Sans Serif, whose widths the layouts were drawn for; Wine's own
# fonts (package fonts-wine) stand in for it where they are installed.
for font in /usr/share/wine/fonts/ms_sans_serif.ttf /usr/share/wine/fonts/tahoma.ttf; do
  [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
# The user's display scaling, as Windows keeps it.
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
  give_up "the display scaling could not be set"
"$wine" "$setup" /S >/dev/null 2>&1 || give_up "the installer failed"
program_folder=$WINEPREFIX/drive_c/Program\ Files/KOVA
for file in KOVA.exe kova2.exe README.txt uninstall.exe examples/worked_example.txt examples/golub_500.txt; do
  [ -f "$program_folder/$file" ] || fail "not installed: $file"
done
cmp -s "$program_folder/examples/worked_example.txt" "$example" || fail "the installed worked example differs"
for file in outinfo.txt doutinfo.txt; do
  [ -f "$WINEPREFIX/drive_c/$file" ] || fail "c:\\$file was not created"
done
shortcut=$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/KOVA/KOVA.lnk' | head -n 1)
[ -n "$shortcut" ] || give_up "no Start-menu shortcut KOVA"
# The shortcut's working folder, as stored in it (UTF-16 text).
work_windows=$(strings -el "$shortcut" | grep -i '^[a-z]:\\.*\\Documents\\KOVA$' | head -n 1)
[ -n "$work_windows" ] || give_up "the shortcut's working folder is not Documents\\KOVA"
work=$(unix_path "$work_windows")
[ -d "$work" ] || give_up "the working folder $work_windows was not created"
end

begin "the programs import only Windows' own DLLs"
for exe in KOVA.exe kova2.exe; do
  imports=$(x86_64-w64-mingw32-objdump -p "$program_folder/$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z')
  for dll in $imports; do
    case $dll in
      kernel32.dll | user32.dll | gdi32.dll | comdlg32.dll | comctl32.dll | msvcrt.dll | advapi32.dll | shell32.dll) ;;
      *) fail "$exe imports $dll" ;;
    esac
  done
  [ -n "$imports" ] || fail "no imports read from $exe"
done
end

# --- a session of KOVA ---------------------------------------------------------------------------
begin "KOVA starts from its shortcut with its main window"
outinfo=$WINEPREFIX/drive_c/outinfo.txt doutinfo=$WINEPREFIX/drive_c/doutinfo.txt
(cd "$tmp" && exec "$wine" start "$(tr -d '\r' <<<"$("$wine" winepath.exe -w "$shortcut" 2>/dev/null)")" \
  >"$tmp/start.log" 2>"$tmp/kova.log") || give_up "wine start of the shortcut failed"
main=$(window_id KOVA 60)
# The client area has the table's proportions, at least as large as the twips at the display's
# DPI (larger where the font is), so every control is where its twips say.
read -r _ _ w h <<<"$(twips KOVA -)"
read -r width_px height_px <<<"$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')"
[ "$width_px" -ge "$(px "$w")" ] || fail "main window $width_px pixels wide, less than $(px "$w") at $dpi dots per inch"
[ $((height_px * w / width_px)) -ge $((h - 40)) ] && [ $((height_px * w / width_px)) -le $((h + 40)) ] ||
  fail "main window ${width_px}x$height_px, not in the proportions of ${w}x$h twips"
end

begin "the focus starts on \"Select Input File\": Enter opens it; a cancelled dialog cancels the step"
wait_for_focus "$main"
xdotool key Return
id=$(window_id "Select Input File for Clustering")
wait_for_focus "$id"
xdotool key Escape
wait_until_gone "Select Input File for Clustering"
[ -s "$outinfo" ] && fail "c:\\outinfo.txt was written"
no_other_message_box
end


begin "a click out of order is refused with a message box"
click KOVA Command2  # "Start Biclustering" before anything else
answer_message_box "Click [Select Input File] first"
[ -s "$outinfo" ] && fail "c:\\outinfo.txt was written"
end

begin "the worked example, clicked through, with kova2 in a console of its own"
input='C:\Program Files\KOVA\examples\worked_example.txt'
output="$work_windows\\result.txt"
click KOVA Open
answer_dialog "Select Input File for Clustering" "$input"
wait_for_bytes "$outinfo" "$input"$'\r\n' || fail "c:\\outinfo.txt after the input file"

click KOVA Command4
window_id "Input parameters" >/dev/null
click "Input parameters" Text1
type_into "Input parameters" 6
click "Input parameters" Text2
type_into "Input parameters" 5
click "Input parameters" Text3
type_into "Input parameters" 0,85
doutinfo_before=$(od -c "$doutinfo")
click "Input parameters" Command1
answer_message_box "with a '.' as the decimal separator"
[ "$(od -c "$doutinfo")" = "$doutinfo_before" ] || fail "c:\\doutinfo.txt was written for a refused threshold"
window_id "Input parameters" >/dev/null
# The entries stay as typed: the threshold is mended in place.
click "Input parameters" Text3
wait_for_focus "$(window_id "Input parameters")"
xdotool key End BackSpace BackSpace BackSpace BackSpace
type_into "Input parameters" 0.9
# 6 genes, but the matrix holds 5: a question, whose default answer (Enter) is No.
click "Input parameters" Command1
answer_message_box "Submit these entries all the same?"
[ "$(od -c "$doutinfo")" = "$doutinfo_before" ] || fail "c:\\doutinfo.txt was written though the question was answered No"
window_id "Input parameters" >/dev/null
click "Input parameters" Text1
wait_for_focus "$(window_id "Input parameters")"
xdotool key End BackSpace
type_into "Input parameters" 5
shot frontend_windows_input_parameters "$(window_id "Input parameters")"
click "Input parameters" Command1
wait_until_gone "Input parameters"
wait_for_bytes "$doutinfo" $'5\r\n5\r\n0.9\r\n' || fail "c:\\doutinfo.txt"

# An earlier result in the chosen output file is replaced only once the user agreed.
printf 'an earlier result\r\n' >"$work/result.txt"
click KOVA Command1
type_into "Enter Output File for Storing Clustered Output" "$output"
xdotool key Return
answer_message_box "already exists" Return "Enter Output File for Storing Clustered Output"
wait_until_gone "Enter Output File for Storing Clustered Output"
wait_for_bytes "$outinfo" "$input"$'\r\n'"$output"$'\r\n' || fail "c:\\outinfo.txt after the output file"
shot frontend_windows_main "$main"

# "Execute" shows with the focus on its "KOVA" button: Enter presses it. Without kova1.exe a
# message box says so, and KOVA goes on.
click KOVA Command2
execute=$(window_id Execute)
shot frontend_windows_execute "$execute"
wait_for_focus "$execute"
xdotool key Return
answer_message_box "Cannot start the engine kova1.exe"
window_id KOVA >/dev/null

click KOVA Command2  # the same run again, for kova2
window_id Execute >/dev/null
click Execute Command2
wait_until_gone Execute
# kova2 creates its report, then asks in its console; the answer is typed there.
console=$(timeout 60 xdotool search --sync --onlyvisible --name 'kova2' 2>/dev/null | awk 'NR == 1') ||
  give_up "no console window for kova2.exe"
end_time=$((SECONDS + 30))
until [ -f "$work/bicluster_report.txt" ]; do
  [ $SECONDS -lt $end_time ] || give_up "kova2 wrote no bicluster_report.txt in the working folder"
  sleep 0.2
done
shot frontend_windows_console "$console"
wait_for_focus "$console"
xdotool type --delay 50 10
xdotool key Return
wait_for_bytes "$work/result.txt" $'3\t5\r\nsample1, sample2, sample3, sample4, sample5, \r\ng1\tg2\tg4\t\r\n2\t3\r\nsample2, sample4, sample5, \r\ng1\tg3\t\r\n2\t3\r\nsample1, sample3, sample5, \r\ng1\tg5\t\r\n' 60 ||
  fail "the output file"
wait_for_bytes "$work/bicluster_report.txt" $'Bicluster\tNo. of rows\tNo. of columns\tSize\r\nBicluster1\t3\t5\t15\r\nBicluster2\t2\t3\t6\r\nBicluster3\t2\t3\t6\r\ngene in number of Bicluster\r\n3\t1\t1\t1\t1\t\r\nsamples in number of Bicluster\r\n2\t2\t2\t2\t3\t\r\n' 60 ||
  fail "bicluster_report.txt"
# The engine waits for Enter before its console closes. It drops the keys typed before it shows
# "Press Enter to close" (the console's input is flushed), so Enter goes only once the console
# is read after that flush.
end_time=$((SECONDS + 30))
until awk '/trace:console:console_input_ioctl flush/ { flushed = 1 }
           flushed && /trace:console:read_console/ { found = 1 } END { exit !found }' "$tmp/kova.log"; do
  [ $SECONDS -lt $end_time ] || give_up "kova2 did not wait for Enter after its last line"
  sleep 0.2
done
wait_for_focus "$console"
xdotool key Return
end_time=$((SECONDS + 30))
while xdotool getwindowname "$console" >/dev/null 2>&1; do
  [ $SECONDS -lt $end_time ] || { fail "kova2's console did not close"; break; }
  sleep 0.2
done
end

begin "Exit ends KOVA"
no_other_message_box
click KOVA Command3
wait_until_gone KOVA
end

begin "uninstall: program files gone, the user's results kept"
# NSIS's uninstaller copies itself away and runs from there: wait for it to finish its work.
"$wine" "$(unix_path 'C:\Program Files\KOVA\uninstall.exe')" /S >/dev/null 2>&1 || fail "the uninstaller failed"
end_time=$((SECONDS + 60))
while [ -e "$program_folder" ]; do
  [ $SECONDS -lt $end_time ] || { fail "the program folder is still there"; break; }
  sleep 0.5
done
[ -e "$shortcut" ] && fail "the shortcut is still there"
for kept in "$work/result.txt" "$work/bicluster_report.txt" "$outinfo" "$doutinfo"; do
  [ -s "$kept" ] || fail "removed or emptied: $kept"
done
end

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]

#!/usr/bin/env bash
# The Debian package as a user meets it: built with tools/package-debian.sh, installed with
# dpkg -i, kova2 run from /usr/bin (its version and batch runs on the shipped examples, byte for
# byte), each manual page opened and compared with its program's --help, KOVA and kovaview started
# under Xvfb and openbox from their menu entries' Exec lines until their windows show, then the
# package purged and every file it installed checked gone. The package is removed even when a
# step fails. Programs run with PATH=/usr/bin:/bin, so no kova2 of a build folder is ever used.
# Usage: bash tests/system/package/package_test.sh     (as root, or a user with sudo)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../../.." && pwd)
source "$root/tests/frontend/kova_xdriver.sh"
[ -n "${KOVA_E2E_DISPLAY_READY:-}" ] || rerun_on_own_display "$0" "$@"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
fail() { echo "FAIL: $*" >&2; exit 1; }
if dpkg-query -W -f='${Status}' kova 2>/dev/null | grep -q 'installed'; then
  fail "a package kova is already installed; this test installs and removes its own (remove it first: apt-get purge kova)"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kova-package-XXXXXX")
mkdir -m 700 "$work/home" "$work/runtime"
started=()
installed=no
cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ "$installed" = yes ] && $sudo dpkg --purge kova >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# What a user's session has: the installed programs only, a home of its own.
as_user() { env -i HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" LANG=C.UTF-8 "$@"; }

echo "== build the package"
deb=$(bash "$root/tools/package-debian.sh" | tail -n 1)
[ -f "$deb" ] || fail "tools/package-debian.sh made no package"
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): Depends: $depends"
case "$depends" in *libc6*libqt6*|*libqt6*libc6*) ;; *) fail "Depends lacks libc6 or Qt 6: $depends" ;; esac
dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | grep -v '/$' >"$work/files"

echo "== install"
installed=yes
$sudo dpkg -i "$deb" >/dev/null
for program in kova2 KOVA kovaview; do
  [ "$(as_user sh -c "command -v $program")" = "/usr/bin/$program" ] || fail "$program is not /usr/bin/$program"
done

echo "== kova2 from /usr/bin"
[ "$(as_user kova2 --version)" = "kova2 $version"$'\r' ] || fail "kova2 --version: $(as_user kova2 --version)"
examples=/usr/share/doc/kova/examples
(cd "$work" && as_user kova2 --matrix $examples/worked_example.txt --output worked.txt --threshold 0.9 --max 10 --quiet)
expected_output=$'3\t5\r\nsample1, sample2, sample3, sample4, sample5, \r\ng1\tg2\tg4\t\r\n2\t3\r\nsample2, sample4, sample5, \r\ng1\tg3\t\r\n2\t3\r\nsample1, sample3, sample5, \r\ng1\tg5\t\r\n'
expected_report=$'Bicluster\tNo. of rows\tNo. of columns\tSize\r\nBicluster1\t3\t5\t15\r\nBicluster2\t2\t3\t6\r\nBicluster3\t2\t3\t6\r\ngene in number of Bicluster\r\n3\t1\t1\t1\t1\t\r\nsamples in number of Bicluster\r\n2\t2\t2\t2\t3\t\r\n'
[ "$(cat "$work/worked.txt"; echo x)" = "${expected_output}x" ] || fail "the worked example's output differs"
[ "$(cat "$work/bicluster_report.txt"; echo x)" = "${expected_report}x" ] || fail "the worked example's report differs"
(cd "$work" && as_user kova2 --matrix $examples/golub_500.txt --output golub.txt --report golub_report.txt \
  --threshold 0.9 --max 1000 --quiet)
cmp "$work/golub.txt" "$root/tests/system/expected/golub_500_t0.9_m1000_output.txt"
cmp "$work/golub_report.txt" "$root/tests/system/expected/golub_500_t0.9_m1000_report.txt"
echo "worked example and golub_500 (threshold 0.9): both files byte for byte as expected"

echo "== manual pages"
for page in kova2 KOVA kovaview; do
  file=/usr/share/man/man1/$page.1.gz
  [ "$(man -w "$page")" = "$file" ] || fail "man does not find $page(1) at $file"
  warnings=$(as_user sh -c "MANWIDTH=80 man --warnings -l $file 2>&1 >/dev/null")
  [ -z "$warnings" ] || fail "man -l $file warns: $warnings"
  text=$(as_user env MANWIDTH=80 man -l "$file")
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS" EXAMPLES; do
    grep -q "^$section\$" <<<"$text" || fail "$page(1) has no $section section"
  done
  bash "$here/man_pages_match_help.sh" "/usr/bin/$page" "$file"
done

echo "== menu entries, started from their Exec lines"
wm_pid=$(start_window_manager) && [ -n "$wm_pid" ]
for entry in org.kova.kova:KOVA org.kova.kovaview:kovaview; do
  desktop=/usr/share/applications/${entry%%:*}.desktop title=${entry#*:}
  desktop-file-validate "$desktop"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  for size in 16 32 48 256; do
    [ -f "/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] || fail "no ${size}x${size} icon $icon"
  done
  # The Exec line as a menu runs it: its field codes (%f, %u, ...) stand for no file here.
  exec_line=$(sed -n 's/^Exec=//p' "$desktop" | sed 's/ %[fFuUick]//g')
  # Started directly (not in a subshell), so that $! is the program's own pid after the execs.
  env -i HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" LANG=C.UTF-8 \
    sh -c "cd \"\$HOME\" && exec $exec_line" &
  started+=($!)
  window=$(wait_for_window "$title" 20)
  [ "$(xdotool getwindowpid "$window")" = "${started[-1]}" ] || fail "the window \"$title\" is not the one Exec started"
  echo "${desktop##*/}: Exec=$exec_line shows the window \"$title\""
done
appstreamcli validate --no-net /usr/share/metainfo/org.kova.kova.metainfo.xml >/dev/null

echo "== remove"
for pid in "${started[@]}"; do kill "$pid"; wait "$pid" 2>/dev/null || true; done
started=()
$sudo dpkg --purge kova >/dev/null
installed=no
! dpkg-query -W -f='${Status}' kova 2>/dev/null | grep -q 'installed' || fail "dpkg still lists kova"
left=()
while read -r file; do
  [ -e "$file" ] && left+=("$file")
done <"$work/files"
[ -e /usr/share/doc/kova ] && left+=(/usr/share/doc/kova)
[ ${#left[@]} -eq 0 ] || fail "left after removal: ${left[*]}"
echo "purged: none of its $(wc -l <"$work/files") files is left"
echo "PASS: the Debian package $(basename "$deb")"

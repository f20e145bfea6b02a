#!/usr/bin/env bash
# Cross-builds kova2.exe with MinGW-w64 and runs it under Wine in a private, temporary Wine prefix:
# the worked example byte for byte, Windows paths (drive letters, backslashes, blanks, ANSI code
# page bytes), and the error cases. Prints "N passed, N failed"; exits non-zero on any failure.
# Skips (exit 0) only when no Wine is installed.
set -euo pipefail

root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${KOVA_WINE_BUILD:-$root/build/wine-kova2}

if ! source "$(dirname "$0")/find_wine.sh"; then
  echo "SKIP: Windows tests: no Wine found (wine64 or wine); tools/install-deps.sh installs wine64"
  exit 0
fi

passed=0
failed=0
give_up() {  # a step without which no case can run
  echo "FAIL: $*"
  echo "$passed passed, $((failed + 1)) failed"
  exit 1
}

echo "-- cross-building kova2.exe in $build"
command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
  give_up "x86_64-w64-mingw32-g++-posix is missing; tools/install-deps.sh installs g++-mingw-w64-x86-64-posix"
# Warnings are errors here too.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKOVA_BUILD_TESTS=OFF -DKOVA_WERROR=ON >/dev/null || give_up "configuring the MinGW-w64 build"
cmake --build "$build" --target kova2 kova2_at_width -j 2 || give_up "building kova2.exe"
exe=$build/engine/kova2.exe
# kova2 with its kernels forced to one vector width: a test build, not shipped.
exe_at_width=$build/engine/kova2_at_width.exe

# The Linux kova2 of the same sources, to compare whole results with: tools/test.sh hands over its
# own; run alone, the script builds one.
native=${KOVA_NATIVE_KOVA2:-}
if [ -z "$native" ]; then
  echo "-- building the Linux kova2 for comparison in $root/build/wine-native"
  cmake -S "$root" -B "$root/build/wine-native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOVA_FRONTEND=OFF \
    -DKOVA_BUILD_TESTS=OFF >/dev/null || give_up "configuring the Linux build"
  cmake --build "$root/build/wine-native" --target kova2 -j 2 || give_up "building the Linux kova2"
  native=$root/build/wine-native/engine/kova2
fi
[ -x "$native" ] || give_up "no Linux kova2 at $native"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kova-wine.XXXXXX")
# Wine keeps everything in the prefix and, through HOME and XDG, in a home folder: both are private.
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_DATA_HOME=$tmp/home/.local/share
export XDG_CACHE_HOME=$tmp/home/.cache WINEPREFIX=$tmp/prefix WINEDEBUG=-all
# No Mono or Gecko install prompts, no menu entries; no display is needed for a console program.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# C.UTF-8 lets Wine map Unix file names as UTF-8; the Windows side then uses ANSI code page 1252.
export LC_ALL=C.UTF-8
mkdir -p "$HOME"

cleanup() {
  if [ -n "$wineserver" ]; then "$wineserver" -k >/dev/null 2>&1 || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

case_name=""
case_ok=1
begin() { case_name=$1; case_ok=1; }
fail() { echo "   FAIL [$case_name] $*"; case_ok=0; }
end() {
  if [ "$case_ok" = 1 ]; then passed=$((passed + 1)); echo "ok   $case_name"; else failed=$((failed + 1)); echo "FAIL $case_name"; fi
}

# expect_bytes FILE EXPECTED (printf %b escapes): the file holds exactly these bytes.
expect_bytes() {
  local want=$tmp/want
  printf '%b' "$2" >"$want"
  if [ ! -f "$1" ]; then fail "missing $1"; return; fi
  cmp -s "$1" "$want" || fail "$1 differs: $(od -c "$1" | head -4 | tr -s ' ')"
}

echo "-- static linking: kova2.exe imports only Windows' own DLLs"
begin "kova2.exe needs no MinGW DLL"
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
case " $dlls" in *" kernel32.dll "*) ;; *) fail "no import table read from $exe: '$dlls'" ;; esac
for dll in $dlls; do
  case $dll in
    kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll | advapi32.dll | user32.dll | ws2_32.dll) ;;
    *) fail "imports $dll (all: $dlls)" ;;
  esac
done
end

# MinGW-w64 does not align the stack to 32 bytes: a 256- or 512-bit spill with an aligned move
# would crash on Windows. The engine is assembled with aligned moves turned into unaligned ones.
begin "no aligned 256- or 512-bit moves to or from the stack"
for binary in "$exe" "$exe_at_width"; do
  aligned=$(x86_64-w64-mingw32-objdump -d --no-show-raw-insn "$binary" |
    grep -E 'vmova(ps|pd)|vmovdqa' | grep -E '%[yz]mm' | grep -E '\(%r[sb]p\)' | head -3 || true)
  [ -z "$aligned" ] || fail "$(basename "$binary"): $aligned"
done
end

echo "-- Wine prefix in $WINEPREFIX"
started=$SECONDS
# One persistent server for all runs instead of one per run; the exit trap ends it.
if [ -n "$wineserver" ]; then mkdir -p "$WINEPREFIX" && "$wineserver" -p; fi
"$wine" wineboot -i </dev/null >"$tmp/wineboot.log" 2>&1 || { cat "$tmp/wineboot.log"; give_up "wineboot"; }
echo "   prefix ready in $((SECONDS - started)) s"

c=$WINEPREFIX/drive_c
matrix=$root/examples/worked_example.txt
mkdir -p "$c/KOVA" "$c/my runs/today" "$c/expr data"
cp "$exe" "$c/KOVA/kova2.exe"
cp "$exe_at_width" "$c/KOVA/kova2_at_width.exe"

worked_output='3\t5\r\nsample1, sample2, sample3, sample4, sample5, \r\ng1\tg2\tg4\t\r\n'
worked_output+='2\t3\r\nsample2, sample4, sample5, \r\ng1\tg3\t\r\n'
worked_output+='2\t3\r\nsample1, sample3, sample5, \r\ng1\tg5\t\r\n'
worked_report='Bicluster\tNo. of rows\tNo. of columns\tSize\r\n'
worked_report+='Bicluster1\t3\t5\t15\r\nBicluster2\t2\t3\t6\r\nBicluster3\t2\t3\t6\r\n'
worked_report+='gene in number of Bicluster\r\n3\t1\t1\t1\t1\t\r\n'
worked_report+='samples in number of Bicluster\r\n2\t2\t2\t2\t3\t\r\n'

# describe OUTINFO [DOUTINFO] (printf %b escapes): writes c:\outinfo.txt and c:\doutinfo.txt.
describe() {
  printf '%b' "$1" >"$c/outinfo.txt"
  printf '%b' "${2:-5\r\n5\r\n0.9\r\n}" >"$c/doutinfo.txt"
}

# run_kova2 [ANSWER]: runs C:\KOVA\kova2.exe from C:\my runs\today, as the front end would start it
# from another folder (under the Unix locale $locale when set); sets status, and leaves stdout and
# stderr in $out and $err.
out=$tmp/stdout
err=$tmp/stderr
program=('C:\KOVA\kova2.exe')  # the program and its arguments
run_kova2() {
  rm -f "$c/my runs/today/bicluster_report.txt"
  status=0
  (cd "$c/my runs/today" && printf '%s\r\n' "${1:-10}" | LC_ALL=${locale:-$LC_ALL} "$wine" "${program[@]}" >"$out" 2>"$err") ||
    status=$?
}

# The run failed with exit status non-zero and one line "kova2: error: ..." holding FRAGMENT.
expect_error() {
  [ "$status" != 0 ] || fail "exit status 0"
  local line
  line=$(grep -a '^kova2: ' "$err" || true)
  case $line in
    "kova2: error: "*"$1"*) ;;
    *) fail "stderr: $(cat -A "$err")" ;;
  esac
  [ "$(grep -c -a '^kova2: ' "$err")" = 1 ] || fail "expected one kova2 line: $(cat -A "$err")"
  grep -q -a $'^kova2: error: .*[^\r]\r$' "$err" || fail "the error line does not end in one CR LF: $(cat -A "$err")"
}

expect_input_unchanged() {  # FILE
  cmp -s "$1" "$matrix" || fail "the input matrix $1 was changed"
}

echo "-- runs"
runs_started=$(date +%s.%N)

begin "worked example, byte for byte, report in the current folder"
cp "$matrix" "$c/expr data/genes.txt"
describe 'C:\\expr data\\genes.txt\r\nC:\\expr data\\result.txt\r\n'
run_kova2 10
[ "$status" = 0 ] || fail "exit status $status: $(cat "$err")"
expect_bytes "$c/expr data/result.txt" "$worked_output"
expect_bytes "$c/my runs/today/bicluster_report.txt" "$worked_report"
[ ! -e "$c/KOVA/bicluster_report.txt" ] || fail "a report was written beside kova2.exe"
expect_bytes "$out" "Enter maximum number of biclusters\r\nkova2: 3 biclusters written to 'C:\\\\expr data\\\\result.txt' and 'C:\\\\my runs\\\\today\\\\bicluster_report.txt'\r\n"
[ ! -s "$err" ] || fail "stderr: $(cat -A "$err")"
expect_input_unchanged "$c/expr data/genes.txt"
end

begin "paths: blanks, a tab, several blanks, forward slashes, lower-case drive"
mkdir -p "$c/my data/deep/with blanks"
cp "$matrix" "$c/my data/deep/with blanks/genes.txt"
describe '  C:\\my  data\\deep\\with\tblanks\\genes.txt  \r\nc:/my data/deep/out put.txt\r\n'
run_kova2 10
[ "$status" = 0 ] || fail "exit status $status: $(cat "$err")"
expect_bytes "$c/my data/deep/out put.txt" "$worked_output"
expect_bytes "$c/my runs/today/bicluster_report.txt" "$worked_report"
end

begin "paths: ANSI code page bytes (1252: 0x80 is the euro sign) open the right files"
mkdir -p "$c/donn€es"
cp "$matrix" "$c/donn€es/gènes.txt"
describe 'C:\\donn\x80es\\g\xe8nes.txt\r\nC:\\donn\x80es\\r\xe9sultat.txt\r\n'
run_kova2 10
[ "$status" = 0 ] || fail "exit status $status: $(cat "$err")"
expect_bytes "$c/donn€es/résultat.txt" "$worked_output"
expect_input_unchanged "$c/donn€es/gènes.txt"
end

begin "paths: bytes that are no text of the code page (932: a lead byte without its trail) are refused"
rm -f "$c/expr data/result.txt"
describe 'C:\\expr data\\genes.txt\r\nC:\\expr data\\r\x82.txt\r\n'
locale=ja_JP.UTF-8 run_kova2 10
expect_error "the output path in 'c:\\outinfo.txt' is not text of the system's code page"
[ -z "$(ls "$c/expr data" | grep -v -x -e genes.txt -e sub)" ] || fail "files were created: $(ls "$c/expr data")"
end

begin "a matrix saved with Windows line ends (CR LF) loads the same"
sed 's/$/\r/' "$matrix" >"$c/expr data/genes crlf.txt"
describe 'C:\\expr data\\genes crlf.txt\r\nC:\\expr data\\result.txt\r\n'
run_kova2 10
[ "$status" = 0 ] || fail "exit status $status: $(cat "$err")"
expect_bytes "$c/expr data/result.txt" "$worked_output"
end

begin "the maximum 1 stops after the first bicluster"
describe 'C:\\expr data\\genes.txt\r\nC:\\expr data\\result.txt\r\n'
run_kova2 1
[ "$status" = 0 ] || fail "exit status $status: $(cat "$err")"
expect_bytes "$c/expr data/result.txt" '3\t5\r\nsample1, sample2, sample3, sample4, sample5, \r\ng1\tg2\tg4\t\r\n'
end

# Real data, whole results: the Windows build gives the Linux build's bytes (number reading,
# correlations, result formats).
mkdir -p "$tmp/native"
cp "$root/examples/golub_500.txt" "$c/expr data/golub_500.txt"
for threshold in 0.9 0.7; do
  begin "golub_500 (500 x 38) at $threshold gives the Linux build's bytes"
  describe 'C:\\expr data\\golub_500.txt\r\nC:\\expr data\\golub result.txt\r\n' "500\r\n38\r\n$threshold\r\n"
  run_kova2 100000
  [ "$status" = 0 ] || fail "exit status $status: $(cat "$err")"
  printf '%s\r\n%s\r\n' "$root/examples/golub_500.txt" "$tmp/native/result.txt" >"$tmp/native/outinfo.txt"
  printf '500\r\n38\r\n%s\r\n' "$threshold" >"$tmp/native/doutinfo.txt"
  (cd "$tmp/native" && printf '100000\n' | HOME=$tmp/native "$native" >/dev/null) || fail "the Linux kova2 failed"
  [ -s "$tmp/native/result.txt" ] || fail "the Linux kova2 found no bicluster"
  cmp -s "$c/expr data/golub result.txt" "$tmp/native/result.txt" || fail "output files differ"
  cmp -s "$c/my runs/today/bicluster_report.txt" "$tmp/native/bicluster_report.txt" || fail "reports differ"
  cp "$tmp/native/result.txt" "$tmp/native/result_$threshold.txt"
  cp "$tmp/native/bicluster_report.txt" "$tmp/native/report_$threshold.txt"
  end
done

# The same at every vector width this processor has, each forced through kova2_at_width.exe.
widths=0
if grep -qw avx2 /proc/cpuinfo && grep -qw fma /proc/cpuinfo; then widths="256 $widths"; fi
if grep -qw avx512f /proc/cpuinfo; then widths="512 $widths"; fi
for width in $widths; do
  for threshold in 0.9 0.7; do
    begin "golub_500 at $threshold with the kernels at width $width gives the Linux build's bytes"
    describe 'C:\\expr data\\golub_500.txt\r\nC:\\expr data\\golub result.txt\r\n' "500\r\n38\r\n$threshold\r\n"
    program=('C:\KOVA\kova2_at_width.exe' "$width")
    run_kova2 100000
    [ "$status" = 0 ] || fail "exit status $status: $(cat "$err")"
    cmp -s "$c/expr data/golub result.txt" "$tmp/native/result_$threshold.txt" || fail "output files differ"
    cmp -s "$c/my runs/today/bicluster_report.txt" "$tmp/native/report_$threshold.txt" || fail "reports differ"
    end
  done
done
program=('C:\KOVA\kova2.exe')

# What the biclusters mean: the null runs' shuffles and the search are the engine's own, so the
# Windows build writes the Linux build's significance file byte for byte. The hypergeometric tails
# go through the C library's log and exp, which may differ in the last bit from Linux's: the
# enrichment and class files agree in every field, their p- and q-values to a relative 1e-12.
same_to_1e12() {  # FILE FILE: the same lines and fields, fractions to a relative 1e-12
  paste -d '\n' "$1" "$2" | awk -F '\t' -v number='^[0-9]+(\\.[0-9]+)?(e-?[0-9]+)?\r?$' 'NR % 2 == 1 { n = split($0, first, "\t"); next }
    { if (NF != n) { print "line " NR / 2 ": " NF " fields against " n; bad = 1 }
      for (i = 1; i <= NF; i++) if ($i != first[i]) {
        if ($i !~ number || first[i] !~ number) { print "line " NR / 2 ": " $i " against " first[i]; bad = 1; continue }
        d = $i - first[i]; if (d < 0) d = -d
        m = first[i] < 0 ? -first[i] : first[i]
        if (d > 1e-12 * m) { print "line " NR / 2 ": " $i " against " first[i]; bad = 1 } } }
    END { exit bad }' && [ "$(wc -l <"$1")" = "$(wc -l <"$2")" ]
}
begin "significance, gene sets and sample classes give the Linux build's files"
{
  printf '#sample\ttype\n'
  for s in $(seq 38); do if [ "$s" -le 27 ]; then printf 's%s\tALL\n' "$s"; else printf 's%s\tAML\n' "$s"; fi; done
} >"$c/expr data/golub.classes"
# Two sets of the matrix's own names: the first 40 genes, and every tenth gene. (One awk each: a
# pipe into head would end its writer with SIGPIPE, which pipefail takes for a failure.)
{
  printf 'FIRST\t'; awk -F '\t' 'NR <= 40 { printf "\t%s", $1 }' "$root/examples/golub_500.txt"; printf '\n'
  printf 'TENTH\tevery tenth'; awk -F '\t' 'NR % 10 == 0 { printf "\t%s", $1 }' "$root/examples/golub_500.txt"
  printf '\n'
} >"$c/expr data/sets.gmt"
meaning=(--threshold 0.8 --significance 40 --seed 5 --quiet)
status=0
(cd "$c/my runs/today" && "$wine" 'C:\KOVA\kova2.exe' --matrix 'C:\expr data\golub_500.txt' \
  --output 'C:\expr data\meaning.txt' --sample-classes 'C:\expr data\golub.classes' \
  --gene-sets 'C:\expr data\sets.gmt' "${meaning[@]}" >"$out" 2>"$err") || status=$?
[ "$status" = 0 ] || fail "exit status $status: $(cat "$err")"
"$native" --matrix "$root/examples/golub_500.txt" --output "$tmp/native/meaning.txt" \
  --sample-classes "$c/expr data/golub.classes" --gene-sets "$c/expr data/sets.gmt" "${meaning[@]}" ||
  fail "the Linux kova2 failed"
for file in significance enrichment classes; do
  [ -s "$tmp/native/meaning.txt.$file.tsv" ] || fail "the Linux kova2 wrote no $file file"
done
cmp -s "$c/expr data/meaning.txt.significance.tsv" "$tmp/native/meaning.txt.significance.tsv" ||
  fail "the significance files differ"
for file in enrichment classes; do
  differences=$(same_to_1e12 "$c/expr data/meaning.txt.$file.tsv" "$tmp/native/meaning.txt.$file.tsv" | head -3) ||
    fail "the $file files differ: $differences"
done
grep -q $'\t0.024390243902439025\t' "$tmp/native/meaning.txt.significance.tsv" ||
  fail "no bicluster at p = 1/41: $(head -3 "$tmp/native/meaning.txt.significance.tsv")"
end

for missing in outinfo doutinfo; do
  begin "missing c:\\$missing.txt is reported, nothing is written"
  rm -f "$c/expr data/result.txt"
  describe 'C:\\expr data\\genes.txt\r\nC:\\expr data\\result.txt\r\n'
  rm "$c/$missing.txt"
  run_kova2 10
  expect_error "cannot open run description file 'c:\\$missing.txt'"
  [ ! -e "$c/expr data/result.txt" ] || fail "an output file was created"
  [ ! -e "$c/my runs/today/bicluster_report.txt" ] || fail "a report was created"
  expect_input_unchanged "$c/expr data/genes.txt"
  end
done

begin "a missing input matrix is named"
describe 'C:\\expr data\\nothing.txt\r\nC:\\expr data\\result.txt\r\n'
run_kova2 10
expect_error "cannot open input matrix 'C:\\expr data\\nothing.txt'"
[ ! -e "$c/expr data/result.txt" ] || fail "an output file was created"
end

# Windows names one file in many spellings: case, slashes, "..", no drive letter. (A piece holding
# ".." ends a path, so ".." can only stand in the last piece.)
mkdir -p "$c/expr data/sub"
for same in 'C:\\expr data\\genes.txt' 'c:\\EXPR DATA\\GENES.TXT' 'C:/expr data/genes.txt' \
  'C:\\expr data\\sub\\..\\genes.txt' '\\expr data\\genes.txt'; do
  begin "an output path that names the input is refused: $(printf '%b' "$same")"
  describe "C:\\\\expr data\\\\genes.txt\r\n$same\r\n"
  run_kova2 10
  expect_error "is the input matrix; refusing to overwrite it"
  expect_input_unchanged "$c/expr data/genes.txt"
  end
done

for same in 'c:\\my runs\\today\\bicluster_report.txt' 'C:\\MY RUNS\\TODAY\\Bicluster_Report.TXT' 'bicluster_report.txt'; do
  begin "an output path that names the report is refused: $(printf '%b' "$same")"
  describe "C:\\\\expr data\\\\genes.txt\r\n$same\r\n"
  run_kova2 10
  expect_error "is the report; refusing to overwrite it"
  end
done

begin "a matrix with a header line is refused, naming the line and the piece"
{ printf 'Gene\tS1\tS2\tS3\tS4\tS5\r\n'; cat "$matrix"; } >"$c/expr data/header.txt"
describe 'C:\\expr data\\header.txt\r\nC:\\expr data\\result.txt\r\n'
run_kova2 10
expect_error "input matrix 'C:\\expr data\\header.txt': line 1, piece 2: 'S1' is no number: is line 1 a header? remove it"
grep -q -a 'gene in number of Bicluster' "$c/my runs/today/bicluster_report.txt" && fail "the report looks complete"
end

begin "a threshold typed as 85 is refused"
describe 'C:\\expr data\\genes.txt\r\nC:\\expr data\\result.txt\r\n' '5\r\n5\r\n85\r\n'
run_kova2 10
expect_error "the correlation threshold 85 lies outside -1 to 1: did you mean 0.85?"
end

# The report's lock: a second kova2 in the same folder is refused while the first waits at its
# prompt (the first holds the report open from before its prompt to its end); a killed run leaves
# no lock.
begin "a second kova2 in the same folder is refused while the first writes its report"
describe 'C:\\expr data\\genes.txt\r\nC:\\expr data\\result.txt\r\n'
rm -f "$c/my runs/today/bicluster_report.txt" "$tmp/answer"
mkfifo "$tmp/answer"
(cd "$c/my runs/today" && "$wine" 'C:\KOVA\kova2.exe' <"$tmp/answer" >"$tmp/first.out" 2>"$tmp/first.err") &
first=$!
exec 7>"$tmp/answer"  # holds the first run at its prompt
for _ in $(seq 300); do grep -q 'Enter maximum' "$tmp/first.out" 2>/dev/null && break; sleep 0.1; done
grep -q 'Enter maximum' "$tmp/first.out" || fail "the first run never asked: $(cat -A "$tmp/first.err")"
status=0
(cd "$c/my runs/today" && printf '10\r\n' | "$wine" 'C:\KOVA\kova2.exe' >"$out" 2>"$err") || status=$?
expect_error "another kova2 run is writing its report 'C:\\my runs\\today\\bicluster_report.txt' in this folder"
printf '10\r\n' >&7
exec 7>&-
wait "$first" || fail "the first run failed: $(cat -A "$tmp/first.err")"
expect_bytes "$c/my runs/today/bicluster_report.txt" "$worked_report"
end

begin "a killed kova2 leaves no lock"
rm -f "$tmp/answer"
mkfifo "$tmp/answer"
(cd "$c/my runs/today" && exec "$wine" 'C:\KOVA\kova2.exe' <"$tmp/answer" >"$tmp/killed.out" 2>&1) &
killed=$!
exec 7>"$tmp/answer"
for _ in $(seq 300); do grep -q 'Enter maximum' "$tmp/killed.out" 2>/dev/null && break; sleep 0.1; done
kill -KILL "$killed" 2>/dev/null || true
wait "$killed" 2>/dev/null || true
exec 7>&-
sleep 1  # the Wine server closes the dead process's handles
status=0  # the report stays where it is: the next run opens the very file the killed one held
(cd "$c/my runs/today" && printf '10\r\n' | "$wine" 'C:\KOVA\kova2.exe' >"$out" 2>"$err") || status=$?
[ "$status" = 0 ] || fail "exit status $status: $(cat "$err")"
expect_bytes "$c/my runs/today/bicluster_report.txt" "$worked_report"
end

echo "   runs took $(awk -v a="$runs_started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]

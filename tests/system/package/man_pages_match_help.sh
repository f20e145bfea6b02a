#!/usr/bin/env bash
# A manual page and its program name the same options: every option the program's --help shows
# is in the page, and the page (before its FILES section) names no option the program does not
# show. A program that does not know --help (its refusal line is left out) is compared with the
# usage it prints instead.
# Usage: man_pages_match_help.sh PROGRAM PAGE.1[.gz]
set -euo pipefail
program=$1 page=$2
name=$(basename "$program")

# Options as the help prints them (--long, -s); the program's own error line names what it refused.
help_options=$("$program" --help 2>&1 | grep -v "^$name: error:" | grep -oE '(^|[^[:alnum:]-])--?[[:alpha:]][[:alnum:]-]*' |
  sed 's/^[^-]*//' | LC_ALL=C sort -u || true)
# Options as the page's source writes them (\-\-long, \-s), up to its FILES section: its
# examples may also run other programs.
page_options=$(zcat -f "$page" | sed '/^\.SH FILES/,$d' | grep -oE '(^|[^[:alnum:]\\-])(\\-){1,2}[[:alpha:]][[:alnum:]\\-]*' |
  sed -e 's/^[^\\]*//' -e 's/\\-/-/g' | LC_ALL=C sort -u || true)

[ -n "$help_options" ] || { echo "FAIL: $name --help shows no option" >&2; exit 1; }
if [ "$help_options" != "$page_options" ]; then
  echo "FAIL: $page and $name --help name different options" >&2
  diff <(echo "$help_options") <(echo "$page_options") | sed -n 's/^< /  only in --help: /p; s/^> /  only in the page: /p' >&2
  exit 1
fi
echo "$name: the page and --help name the same $(echo "$help_options" | wc -l) options: $(echo $help_options)"

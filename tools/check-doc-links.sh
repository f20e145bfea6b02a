#!/usr/bin/env bash
# Checks the links of README.md and docs/*.md: a relative link must name a file or folder that
# exists, and a #anchor (in the same page or another Markdown page) must match one of that page's
# headings, made into an anchor as GitHub does (lower case, punctuation other than '-' and '_'
# dropped, each space a '-', a repeated anchor numbered -1, -2, ...). External links are not
# fetched. Prints one line per broken link (file:line: the link and what is wrong), then
# "doc links: N checked, M broken"; exits 1 when any link is broken.
# Usage: tools/check-doc-links.sh [FILE.md ...]   (default README.md and docs/*.md)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -eq 0 ]; then
  set -- README.md docs/*.md
fi

exec /usr/bin/python3 - "$@" <<'PYTHON'
import os
import re
import sys
import unicodedata
from urllib.parse import unquote

FENCE = re.compile(r"^ {0,3}(`{3,}|~{3,})")
ATX = re.compile(r"^ {0,3}(#{1,6})(?:[ \t]+(.*?))?(?:[ \t]+#+)?[ \t]*$")
SETEXT = re.compile(r"^ {0,3}(=+|-+)[ \t]*$")
# [text](target) and ![alt](target); the text may hold one level of brackets (an image in a link).
INLINE_LINK = re.compile(r"!?\[(?:[^\[\]\\]|\\.|\[[^\[\]]*\])*\]\(\s*(<[^>]*>|[^\s()]*(?:\([^\s()]*\)[^\s()]*)*)(?:\s+(?:\"[^\"]*\"|'[^']*'|\([^)]*\)))?\s*\)")
REFERENCE_DEFINITION = re.compile(r"^ {0,3}\[[^\]]+\]:\s*(<[^>]*>|\S+)")
HTML_ANCHOR = re.compile(r"<a\s+[^>]*(?:name|id)\s*=\s*\"([^\"]+)\"", re.IGNORECASE)
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")


def code_span_free(line):
    """The line with its code spans blanked out (same length, so columns stay put)."""
    out = []
    i = 0
    while i < len(line):
        if line[i] == "`":
            j = i
            while j < len(line) and line[j] == "`":
                j += 1
            ticks = line[i:j]
            end = line.find(ticks, j)
            while end != -1 and end + len(ticks) < len(line) and line[end + len(ticks)] == "`":
                end = line.find(ticks, end + len(ticks) + 1)
            if end == -1:
                out.append(line[i:j])
                i = j
                continue
            out.append(" " * (end + len(ticks) - i))
            i = end + len(ticks)
        else:
            out.append(line[i])
            i += 1
    return "".join(out)


def text_lines(path):
    """(line number, line) for every line outside fenced code blocks."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    fence = None
    for number, line in enumerate(lines, 1):
        m = FENCE.match(line)
        if fence is None and m:
            fence = m.group(1)
            continue
        if fence is not None:
            if m and m.group(1)[0] == fence[0] and len(m.group(1)) >= len(fence) and line.strip() == m.group(1):
                fence = None
            continue
        yield number, line


def heading_text(raw):
    """The heading as GitHub renders it, as plain text."""
    text = re.sub(r"!\[([^\]]*)\]\([^)]*\)", r"\1", raw)
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"<[^>]+>", "", text)
    return text.strip()


def anchor_of(text):
    """GitHub's anchor: lower case, letters, marks, digits, '_', '-' and spaces kept, spaces to '-'."""
    kept = []
    for ch in text.lower():
        category = unicodedata.category(ch)
        if ch in "-_ " or category[0] in "LMN" or category == "Pc":
            kept.append(ch)
    return "".join(kept).replace(" ", "-")


anchor_cache = {}


def anchors(path):
    """Every anchor a Markdown page offers: its headings (numbered when repeated) and HTML anchors."""
    if path in anchor_cache:
        return anchor_cache[path]
    found = set()
    seen = {}
    previous = ""
    for _, line in text_lines(path):
        texts = []
        m = ATX.match(line)
        s = SETEXT.match(line)
        if m:
            texts.append(m.group(2) or "")
            previous = ""
        elif s and previous.strip() and not previous.lstrip().startswith(("|", "-", "*", "+", ">")):
            texts.append(previous)
            previous = ""
        else:
            previous = line
        for text in texts:
            base = anchor_of(heading_text(text))
            count = seen.get(base, 0)
            seen[base] = count + 1
            found.add(base if count == 0 else f"{base}-{count}")
        for name in HTML_ANCHOR.findall(line):
            found.add(name)
    anchor_cache[path] = found
    return found


def links(path):
    """(line number, target) of every link and image in a page, outside code."""
    for number, line in text_lines(path):
        plain = code_span_free(line)
        m = REFERENCE_DEFINITION.match(plain)
        if m:
            yield number, m.group(1).strip("<>")
            continue
        for m in INLINE_LINK.finditer(plain):
            yield number, m.group(1).strip("<>")


def problem(page, target):
    """What is wrong with one link, or None."""
    if SCHEME.match(target) or target.startswith("//"):
        return None  # external (http, https, mailto, ...): not fetched
    path_part, _, anchor = target.partition("#")
    path_part = unquote(path_part.split("?", 1)[0])
    anchor = unquote(anchor)
    if path_part == "":
        dest = page
    elif path_part.startswith("/"):
        dest = os.path.normpath(path_part.lstrip("/"))
    else:
        dest = os.path.normpath(os.path.join(os.path.dirname(page), path_part))
    if path_part and not os.path.exists(dest):
        return f"no file '{dest}'"
    if not anchor:
        if "#" in target and path_part == "":
            return "an empty anchor"
        return None
    if not dest.lower().endswith(".md") or os.path.isdir(dest):
        return f"an anchor into '{dest}', which is no Markdown page"
    if anchor not in anchors(dest):
        return f"no heading in '{dest}' makes the anchor '#{anchor}'"
    return None


checked = 0
broken = 0
for page in sys.argv[1:]:
    if not os.path.isfile(page):
        print(f"{page}: no such page")
        broken += 1
        continue
    for number, target in links(page):
        checked += 1
        why = problem(page, target)
        if why:
            broken += 1
            print(f"{page}:{number}: broken link '{target}': {why}")
print(f"doc links: {checked} checked, {broken} broken")
sys.exit(1 if broken else 0)
PYTHON

# Sourced by the Wine tests: sets `wine` to the wine64 loader itself (the "wine" wrapper adds a
# warning about a missing 32-bit Wine to stderr) and `wineserver` to its server where there is one.
# Returns 1 where no Wine is installed.

find_tool() {  # first of the names found on PATH or as a file
  local name
  for name in "$@"; do
    if command -v "$name" >/dev/null 2>&1; then command -v "$name"; return 0; fi
    if [ -x "$name" ]; then echo "$name"; return 0; fi
  done
  return 1
}
wine=$(find_tool wine64 /usr/lib/wine/wine64 wine) || return 1
wineserver=$(find_tool wineserver64 /usr/lib/wine/wineserver64 wineserver || true)

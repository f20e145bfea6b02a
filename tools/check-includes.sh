#!/usr/bin/env bash
# Fails on any include that runs against the engine's one-way arrows, or that reaches past the
# front door (engine/include/kova) from outside the engine. Tests may include any unit they test.
#   tools/check-includes.sh
set -euo pipefail
cd "$(dirname "$0")/.."
exec /usr/bin/python3 - <<'PY'
import pathlib, re, subprocess, sys

# What each room may include besides itself, common/ and the standard library.
below = {
    "model": set(),
    "platform": set(),
    "input": {"model", "platform"},
    "output": {"model", "platform"},
    "bounds": {"model"},
    "kernels": {"bounds", "model"},
    "search": {"kernels", "bounds", "model"},
    "meaning": {"model", "platform"},  # and the search's front door, for the null runs
    "run": {"platform"},  # and the whole front door
}
# The room behind each front-door header.
owner = {"matrix": "input", "result_files": "output", "run_settings": "search", "search": "search",
         "meaning": "meaning"}
# Outside the engine: the doors and which front-door headers each may use.
doors = {"viewer": {"matrix", "result_files", "meaning"}, "frontend": set(), "common": set()}

include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "*.cpp", "*.hpp", "*.h"],
                       capture_output=True, text=True, check=True).stdout.split()
problems, checked = [], 0

def reachable(room):
    return below[room] | {room}

# Rooms that may use another room's front-door headers (besides run, which uses them all).
front_door_users = {"meaning": {"search"}}

for name in files:
    path = pathlib.PurePosixPath(name)
    if not pathlib.Path(name).exists():
        continue
    parts = path.parts
    if parts[0] == "tests":
        continue
    if parts[0] == "engine" and len(parts) == 2:
        problems.append(f"{name}: a source file directly in engine/; it belongs in one of its rooms")
    text = pathlib.Path(name).read_text(errors="replace")
    for target in include.findall(text):
        checked += 1
        tparts = pathlib.PurePosixPath(target).parts
        wrong = None
        if parts[0] == "engine" and parts[1] == "include":  # a front-door header
            room = owner.get(path.stem)
            if room is None:
                wrong = "a front-door header that no room stands behind"
            elif tparts[0] == "engine" and tparts[1] not in reachable(room):
                wrong = f"the front door's {path.name} (room {room}) reaches room {tparts[1]}"
            elif tparts[0] == "kova" and owner.get(pathlib.PurePosixPath(target).stem) not in (
                    reachable(room) | front_door_users.get(room, set())):
                wrong = f"the front door's {path.name} (room {room}) reaches {target}"
        elif parts[0] == "engine":
            room = parts[1]
            if room not in below:
                wrong = f"engine/{room} is no room"
            elif tparts[0] == "engine" and tparts[1] not in reachable(room):
                wrong = f"room {room} may not include room {tparts[1]}"
            elif tparts[0] == "kova" and room != "run":
                target_room = owner.get(pathlib.PurePosixPath(target).stem)
                if target_room not in reachable(room) | front_door_users.get(room, set()):
                    wrong = f"room {room} may not include {target} (room {target_room})"
        else:
            door = parts[0]
            if tparts[0] == "engine":
                wrong = "reaches past the front door: include kova/... instead"
            elif tparts[0] == "kova" and door in doors and pathlib.PurePosixPath(target).stem not in doors[door]:
                wrong = f"{door}/ may not use {target}"
        if wrong:
            problems.append(f"{name}: #include \"{target}\": {wrong}")

for problem in problems:
    print(problem)
print(f"includes: {checked} checked, {len(problems)} against the arrows")
sys.exit(1 if problems else 0)
PY

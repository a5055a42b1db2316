#!/bin/sh
# Checks that every #include "..." in src/ and apps/ points down the layers:
#   protocol <- model <- engine <- core features <- widgets <- pages <- app <- apps
# with the command-line tool (cli) and the simulator beside the window code, over the core, and
# the keyring (credentials kept in the desktop's Secret Service) under both the window and cli.
# Prints FILE:LINE: FOLDER includes UPPER-FOLDER/HEADER for each include that does not, and
# exits 1; a folder missing from the table below is reported too, so a new one gets a place.
#   scripts/check-includes.sh [ROOT]      (default: the checkout this script is in)
set -eu
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
exec python3 - "$@" <<'EOF'
import os
import re
import sys

# Each folder and the folders it stands on directly; it may include those and whatever they
# stand on, and its own files. Folders of one line (the core's features) may include each other.
LAYERS = [
    (["protocol"], []),
    (["model"], ["protocol"]),
    (["engine"], ["model"]),
    (["lan", "plan", "changelog", "listing", "csv", "diff", "settings", "onvif"], ["engine"]),
    (["simulator"], ["model", "onvif"]),
    (["keyring"], ["protocol"]),
    (["cli"], ["lan", "plan", "changelog", "listing", "csv", "diff", "settings", "onvif",
               "keyring"]),
    (["widgets"], ["lan", "plan", "changelog", "listing", "csv", "diff", "settings", "onvif",
                   "keyring"]),
    (["pages"], ["widgets"]),
    (["app"], ["pages"]),
    (["apps"], ["app", "cli", "simulator"]),
]

direct = {}
for folders, under in LAYERS:
    for folder in folders:
        direct[folder] = set(under) | set(folders)

below = {}
def reach(folder):
    if folder not in below:
        below[folder] = {folder}
        for lower in direct[folder]:
            if lower != folder:
                below[folder] |= reach(lower)
    return below[folder]
for folder in direct:
    reach(folder)

include = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
faults = 0
for top in ("src", "apps"):
    for dirpath, dirnames, filenames in os.walk(top):
        dirnames.sort()
        for name in sorted(filenames):
            if not name.endswith((".h", ".hpp", ".cpp", ".cc", ".h.in")):
                continue
            path = os.path.join(dirpath, name)
            parts = path.split(os.sep)
            folder = "apps" if top == "apps" else (parts[1] if len(parts) > 2 else None)
            if folder is None:
                continue
            if folder not in below:
                print(f"{path}: {folder} is not in the table of layers")
                faults += 1
                continue
            with open(path, encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    match = include.match(line)
                    if not match:
                        continue
                    header = match.group(1)
                    if "/" not in header:
                        continue  # beside the including file
                    target = header.split("/", 1)[0]
                    if target not in direct:
                        print(f"{path}:{number}: {folder} includes {header}, "
                              f"whose folder is not in the table of layers")
                        faults += 1
                    elif target not in below[folder]:
                        print(f"{path}:{number}: {folder} includes {header}")
                        faults += 1
sys.exit(1 if faults else 0)
EOF

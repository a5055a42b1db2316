#!/usr/bin/env python3
"""Fails when a translation of the window is not complete and up to date.

Each TS file is checked as it is in the repository, then again after lupdate has read the window's
sources into a copy of it: a text of the sources that the file lacks comes back unfinished, one the
sources lost comes back vanished. Every message must be translated, keep the %N placeholders of its
source, keep a mnemonic ("&") exactly when its source has one, and belong to a class of ours.
"""

import argparse
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path


def mnemonics(text):
    """The letters marked with "&"; "&&" is a plain ampersand."""
    return [m for m in re.findall(r"&(&|.)", text) if m != "&"]


def placeholders(text):
    return sorted(re.findall(r"%(?:n|\d+)", text))


def problems(ts_path):
    """One line for each message that is not ready to ship."""
    found = []
    for context in ET.parse(ts_path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            where = f"{name}: {source!r}"
            if not name.startswith("pelmora::"):
                found.append(f"{where}: context is not a class of ours (lupdate lost the class)")
            translation = message.find("translation")
            state = translation.get("type") if translation is not None else "missing"
            if state is not None:
                found.append(f"{where}: {state}")
                continue
            forms = [f.text or "" for f in translation.iter("numerusform")]
            for text in forms or [translation.text or ""]:
                if not text.strip() and source.strip():
                    found.append(f"{where}: empty translation")
                if placeholders(text) != placeholders(source):
                    found.append(f"{where}: placeholders differ in {text!r}")
                if bool(mnemonics(text)) != bool(mnemonics(source)) or len(mnemonics(text)) > 1:
                    found.append(f"{where}: mnemonic differs in {text!r}")
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lupdate", required=True)
    parser.add_argument("--sources", required=True, help="file naming one window source a line")
    parser.add_argument("--include", action="append", default=[])
    parser.add_argument("ts", nargs="+")
    args = parser.parse_args()
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        for ts in map(Path, args.ts):
            failures += [f"{ts.name}: {p}" for p in problems(ts)]
            copy = Path(scratch) / ts.name
            shutil.copy(ts, copy)
            run = subprocess.run(
                [args.lupdate, "-silent", "-locations", "none"]
                + [f"-I{d}" for d in args.include]
                + [f"@{args.sources}", "-ts", str(copy)],
                capture_output=True, text=True)
            if run.returncode != 0:
                failures.append(f"{ts.name}: lupdate failed: {run.stderr.strip()}")
                continue
            stale = set(problems(copy)) - set(problems(ts))
            failures += [f"{ts.name} is behind the sources: {p}" for p in sorted(stale)]
    for failure in failures:
        print(failure)
    if failures:
        print(f"{len(failures)} problem(s); update with the update_translations target, then "
              "translate what it left unfinished (linguist)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

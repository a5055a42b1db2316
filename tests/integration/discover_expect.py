#!/usr/bin/env python3
"""discover --expect against pelmora-sim on 127.0.0.1, as an installer back at a site: the list
saved last time (JSON or CSV, MACs in any case) compared with the cameras answering now. A site as
it was exits 0; a camera gone is listed as missing with where it was last seen, one not on the
list is new, one renumbered is changed with its old address, and the exit status is 1; a list
that cannot be read exits 2."""

import json
import os
import tempfile

from harness import Simulator, check, parse_programs, run_cli

args = parse_programs()
work = tempfile.mkdtemp()


def saved(name, text):
    path = os.path.join(work, name)
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)
    return path


with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4") as sim:
    target = ["--wait", "0.5", "--target", f"127.0.0.1:{sim.port}"]

    def discover(*options):
        return run_cli(args.cli, "discover", *options, *target)

    before = discover("--json")
    as_it_was = discover("--expect", saved("site.json", before.stdout))
    check(as_it_was.returncode == 0 and as_it_was.stdout.splitlines()[-1] == "4 cameras",
          f"unchanged site: {as_it_was}")
    as_csv = discover("--expect", saved("site.csv", discover("--csv").stdout))
    check(as_csv.returncode == 0, f"unchanged site saved as CSV: {as_csv}")

    # Since the last visit: camera 2 was renumbered, camera 4 is new, and one is gone; camera 3
    # was written down in lower case.
    site = json.loads(before.stdout)
    site[1]["ipAddress"] = "192.168.0.12"
    site[2]["mac"] = site[2]["mac"].lower()
    site[3] = dict(site[0], mac="02:50:4d:00:00:99", ipAddress="192.168.0.99")
    changed = saved("changed.json", json.dumps(site))
    table = discover("--expect", changed)
    check(table.returncode == 1, f"exit status: {table}")
    notes = {line.split()[0]: line for line in table.stdout.splitlines()[1:-1]}
    check("changed: address was 192.168.0.12" in notes["02:50:4D:00:00:02"] and
          "new: not on the saved list" in notes["02:50:4D:00:00:04"] and
          notes["02:50:4D:00:00:99"].endswith("missing: last seen at 192.168.0.99") and
          table.stdout.splitlines()[-1] == "4 cameras \u00b7 1 missing", table.stdout)
    listed = json.loads(discover("--json", "--expect", changed).stdout)
    check([(c["mac"], c["problems"]) for c in listed] ==
          [("02:50:4D:00:00:01", []), ("02:50:4D:00:00:02", ["changed"]),
           ("02:50:4D:00:00:03", []), ("02:50:4D:00:00:04", ["new"]),
           ("02:50:4D:00:00:99", ["missing"])], f"JSON: {listed}")

    unreadable = discover("--expect", saved("broken.csv", "model,serial\nPM-C110,1\n"))
    check(unreadable.returncode == 2 and unreadable.stdout == "", f"unreadable: {unreadable}")
print("discover --expect: ok")

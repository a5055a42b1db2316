#!/usr/bin/env python3
"""Failures are not reported as success: a write of standard output that fails (a full disk, a
closed descriptor) ends every command with 1 (diff, whose 1 means "different", with 2) and one
line on standard error; a --wait that is no number is a usage error; and where nothing can be
sent, discover says so and fails instead of listing no cameras, and a setting command prints
"Not Sent" at once instead of waiting for "No Response"."""

import os
import shutil
import sys
import tempfile
import time

from harness import SKIP, Simulator, check, discover_json, parse_programs, run_cli, without_network

args = parse_programs()

ADMIN = ["--user", "admin", "--password", "password"]
# Runs the command with its standard output closed.
CLOSED_STDOUT = ["sh", "-c", 'exec "$0" "$@" >&-']

with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "20") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    camera = discover_json(args.cli, "--wait", "0.5", *target)[0]
    commands = [
        ("discover, more than a buffer of JSON", ["discover", "--json", "--wait", "0.5", *target]),
        ("set-bandwidth, accepted", ["set-bandwidth", camera["mac"], camera["bandElements"][-1],
                                     *ADMIN, *target]),
        ("set-time, accepted", ["set-time", camera["mac"], "--format", "ymd", "--zone", "0",
                                "--pc", *target]),
        ("--help", ["--help"]),
    ]
    # diff keeps 1 for "different": a result it could not write is trouble, 2.
    lists = tempfile.mkdtemp(prefix="pelmora-diff-")
    old, new = os.path.join(lists, "old.csv"), os.path.join(lists, "new.csv")
    for path, text in ((old, "mac\n02:50:4D:00:00:01\n"), (new, "mac\n")):
        with open(path, "w") as f:
            f.write(text)
    commands += [("diff, different", ["diff", old, new], 2),
                 ("diff --json, the same", ["diff", "--json", old, old], 2)]
    with open("/dev/full", "w") as full:
        for name, command, *code in commands:
            for how, options, reason in [
                    ("to a full disk", {"stdout": full}, "No space left on device"),
                    ("to a closed descriptor", {"prefix": CLOSED_STDOUT}, "Bad file descriptor")]:
                result = run_cli(args.cli, *command, **options)
                check((result.returncode, result.stderr.splitlines()[-1:]) ==
                      (code[0] if code else 1, [f"Error : writing standard output: {reason}"]),
                      f"{name} {how}: {result.returncode} {result.stderr!r}")
    shutil.rmtree(lists)

for wait in ["nan", "inf", "-inf", "abc", "", "1s"]:
    result = run_cli(args.cli, "discover", "--wait", wait, "--target", "127.0.0.1:9")
    check(result.returncode == 2 and "--wait: not a number" in result.stderr,
          f"--wait {wait!r}: {result.returncode} {result.stderr!r}")

prefix = without_network()
if prefix is None:
    print("skipped the commands without a network: no namespace can be made")
    sys.exit(SKIP)
MAC = "02:50:4D:00:00:01"
unsent = [
    ("discover by broadcast", ["discover", "--wait", "0.2"], ""),
    ("discover to a host", ["discover", "--wait", "0.2", "--target", "127.0.0.1:9"], ""),
    ("set-bandwidth", ["set-bandwidth", MAC, "2.0", *ADMIN, "--target", "127.0.0.1:9"],
     "Not Sent\n"),
    ("set-time", ["set-time", MAC, "02:50:4D:00:00:02", "--format", "ymd", "--zone", "0",
                  "--at", "2005-03-05 09:07:00", "--target", "127.0.0.1:9"],
     f"{MAC} Not Sent\n02:50:4D:00:00:02 Not Sent\n"),
]
for name, command, stdout in unsent:
    start = time.monotonic()
    result = run_cli(args.cli, *command, prefix=prefix)
    elapsed = time.monotonic() - start
    check((result.returncode, result.stdout) == (1, stdout),
          f"{name} without a network: {result.returncode} {result.stdout!r} {result.stderr!r}")
    check(elapsed < 5, f"{name} without a network took {elapsed:.1f} s")
    if command[0] == "discover":
        check("Error : no discovery enquiry could be sent" in result.stderr,
              f"{name} without a network: {result.stderr!r}")
print("failures reported as failures: ok")

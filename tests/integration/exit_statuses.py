#!/usr/bin/env python3
"""Exit statuses and their words where a careless script would go wrong, on 127.0.0.1: a
number option given no finite number, history --limit 0, a password given to set-time (usage
errors, 2, nothing sent); and a change log that is a FIFO, which neither hangs history (1, with
the reason) nor holds back a setting request."""

import os
import subprocess
import tempfile

from harness import (Simulator, bare_listener, check, discover_json, nothing_arrives,
                     parse_programs, run_cli)

args = parse_programs()

ADMIN = ["--user", "admin", "--password", "password"]
MAC = "02:50:4D:00:00:01"
listener, to_listener = bare_listener()

# Every number option of every command: (command before the option, option).
number_options = [
    (["discover", *to_listener], "--wait"),
    (["apply-plan", "plan.csv", *ADMIN, *to_listener], "--verify-timeout"),
    (["apply-plan", "plan.csv", *ADMIN, *to_listener], "--wait"),
    (["plan", "--start", "10.1.0.2", MAC], "--step"),
    (["history"], "--limit"),
]
usage_errors = [
    (command + [option, value], f"{option}: not a number")
    for command, option in number_options
    for value in ["nan", "NaN", "inf", "-inf", "infinity", "abc", ""]
]
usage_errors += [
    (["history", "--limit", "0"], "--limit must be 1 or more"),
    (["plan", "--start", "10.1.0.2", "--step", "1.5", MAC], "--step: must be a whole number"),
    (["apply-plan", "plan.csv", *ADMIN, "--verify-timeout", "0.5", *to_listener],
     "--verify-timeout: must be from 1 to 3600 seconds"),
    (["set-time", MAC, "--format", "ymd", "--zone", "0", "--pc", "--password", "X1",
      *to_listener], "set-time takes no password"),
    (["set-time", MAC, "--pc", "--password-stdin", *to_listener], "set-time takes no password"),
    (["set-time", MAC, "--pc", "--user", "admin", *to_listener], "set-time takes no --user"),
]
for arguments, words in usage_errors:
    result = run_cli(args.cli, *arguments, timeout=10)
    check(result.returncode == 2 and words in result.stderr,
          f"{arguments}: {result.returncode} {result.stderr!r}")
    check(nothing_arrives(listener), f"{arguments}: a datagram was sent")

# A FIFO in the change log's place, with nobody reading it and with a reader that would take
# whatever is written: refused as no regular file, at once.
state = tempfile.mkdtemp()
log = os.path.join(state, "changes.jsonl")
os.mkfifo(log, 0o600)
in_state = {"PELMORA_STATE_DIR": state}


def cli(*arguments):
    try:
        return run_cli(args.cli, *arguments, env=in_state, timeout=20)
    except subprocess.TimeoutExpired:
        check(False, f"{arguments[0]} with a FIFO for the change log did not end")


result = cli("history")
check((result.returncode, result.stdout) == (1, "") and
      f"{log}: not a regular file" in result.stderr, f"history: {result.returncode} "
      f"{result.stderr!r}")

with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "2") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    camera = discover_json(args.cli, "--wait", "0.5", *target)[0]
    readers = []
    for how in ("no reader", "a reader"):
        if how == "a reader":
            readers.append(os.open(log, os.O_RDONLY | os.O_NONBLOCK))
        result = cli("set-bandwidth", camera["mac"], camera["bandElements"][-1], *ADMIN, *target)
        check((result.returncode, result.stdout) == (0, "Setting OK\n") and
              result.stderr.count(f"change log not written: {log}: not a regular file") == 1,
              f"set-bandwidth, a FIFO log with {how}: {result.returncode} {result.stdout!r} "
              f"{result.stderr!r}")
    check(os.read(readers[0], 4096) == b"", "a line was written into the FIFO")
    os.close(readers[0])
print("exit statuses: ok")

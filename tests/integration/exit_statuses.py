#!/usr/bin/env python3
"""Usage errors a careless script makes, on 127.0.0.1 (exit 2, the words, nothing sent): a
number option given no finite number, history --limit 0, set-time given credentials; and a
FIFO as the change log, which neither hangs history (exit 1, the reason) nor a request."""

import os
import tempfile

from harness import (Simulator, bare_listener, check, discover_json, nothing_arrives,
                     parse_programs, run_cli)

args = parse_programs()
ADMIN, MAC = ["--user", "admin", "--password", "password"], "02:50:4D:00:00:01"
listener, to_listener = bare_listener()
APPLY = ["apply-plan", "plan.csv", *ADMIN, *to_listener]
numbers = [(["discover", *to_listener], "--wait"), (APPLY, "--verify-timeout"), (APPLY, "--wait"),
           (["plan", "--start", "10.1.0.2", MAC], "--step"), (["history"], "--limit")]
usage_errors = [(command + [option, value], f"{option}: not a number") for command, option in numbers
                for value in ["nan", "NaN", "inf", "-inf", "infinity", "abc", ""]] + [
    (["history", "--limit", "0"], "--limit must be 1 or more"),
    (["plan", "--start", "10.1.0.2", "--step", "1.5", MAC], "--step: must be a whole number"),
    (APPLY + ["--verify-timeout", "0.5"], "--verify-timeout: must be from 1 to 3600 seconds"),
    (["set-time", MAC, "--pc", "--password", "X1", *to_listener], "set-time takes no password"),
    (["set-time", MAC, "--pc", "--password-stdin"], "set-time takes no password"),
    (["set-time", MAC, "--pc", "--user", "admin"], "set-time takes no --user")]
for arguments, words in usage_errors:
    result = run_cli(args.cli, *arguments, timeout=10)
    check(result.returncode == 2 and words in result.stderr and nothing_arrives(listener),
          f"{arguments}: {result.returncode} {result.stderr!r}")

state = tempfile.mkdtemp()
log = os.path.join(state, "changes.jsonl")
os.mkfifo(log, 0o600)
# A hang ends in TimeoutExpired, which fails the test.
in_state = {"env": {"PELMORA_STATE_DIR": state}, "timeout": 20}
result = run_cli(args.cli, "history", **in_state)
check((result.returncode, result.stdout) == (1, "") and
      f"{log}: not a regular file" in result.stderr, f"history: {result.stderr!r}")
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "2") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    camera = discover_json(args.cli, "--wait", "0.5", *target)[0]
    # Without a reader, then with one that would take whatever is written.
    for reader in (None, "reader"):
        reader = reader and os.open(log, os.O_RDONLY | os.O_NONBLOCK)
        result = run_cli(args.cli, "set-bandwidth", camera["mac"], camera["bandElements"][-1],
                         *ADMIN, *target, **in_state)
        check((result.returncode, result.stdout) == (0, "Setting OK\n") and
              f"change log not written: {log}: not a regular file" in result.stderr,
              f"set-bandwidth, reader {reader}: {result.stdout!r} {result.stderr!r}")
    check(os.read(reader, 4096) == b"", "a line was written into the FIFO")
print("exit statuses: ok")

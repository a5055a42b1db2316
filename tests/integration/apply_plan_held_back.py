#!/usr/bin/env python3
"""apply-plan never leaves two cameras on one address: a camera whose move failed still holds
its address, so the move onto it is "held back", sent nothing, exit 1. One plan at a time on this
PC: while plan.lock in the state directory is held (here, or by an apply-plan, even one killed
outright afterwards) a second apply-plan is refused at once, exit 1, nothing sent."""

import fcntl
import os
import subprocess
import tempfile
import time

from harness import Simulator, bare_listener, check, discover_json, nothing_arrives, parse_programs

args = parse_programs()
LOCK = os.path.join(os.environ["PELMORA_STATE_DIR"], "plan.lock")


def apply_plan(text, target, *extra, wait=True):
    handle, path = tempfile.mkstemp(suffix=".csv", dir=os.environ["PELMORA_STATE_DIR"])
    with os.fdopen(handle, "w") as f:
        f.write(text)
    command = [args.cli, "apply-plan", path, "--user", "admin", "--password", "password", *target]
    child = subprocess.Popen(command + list(extra), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             text=True)
    if not wait:
        return child
    out, err = child.communicate(timeout=100)
    return child.returncode, out, err


def lock_taken():
    with open(LOCK, "a") as probe:
        try:
            fcntl.flock(probe, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return False
        except BlockingIOError:
            return True


# On 10.7.0.1 to .4; the first never answers a setting, the last refuses every one. The second is
# planned onto the first's address, the third onto the last's.
fixed = [a for n in range(1, 5) for a in ("--address", f"10.7.0.{n}/255.255.255.0")]
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4",
               "--silent-settings", "1", "--refusing-cameras", "1", *fixed) as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    a, b, c, d = sorted(x["mac"] for x in discover_json(args.cli, "--wait", "0.5", *target))
    result = apply_plan(f"mac,ipAddress\n{a},10.7.0.30\n{b},10.7.0.1\n{c},10.7.0.4\n{d},10.7.0.40\n",
                        target)
    check(result[:2] == (1, f"{a} No Response\n{b} held back\n{d} NG\n{c} held back\n"), result)
    left = [x["ipAddress"] for x in discover_json(args.cli, "--wait", "0.5", *target)]
    check(sorted(left) == ["10.7.0.1", "10.7.0.2", "10.7.0.3", "10.7.0.4"], f"moved: {left}")

    # The lock held by an apply-plan waiting for a camera that never answers, then by this test.
    plan = f"mac,webPort\n{a},8081\n"
    first = apply_plan(plan, target, wait=False)
    deadline = time.monotonic() + 20
    while not lock_taken() and time.monotonic() < deadline:
        time.sleep(0.05)
    listener, quiet = bare_listener()
    for holder in ("apply-plan", "test"):
        if holder == "test":
            first.kill()
            first.communicate(timeout=10)
            held = open(LOCK, "a")
            fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)  # a killed run left the lock free
        started = time.monotonic()
        result = apply_plan(plan, quiet)
        check(result[:2] == (1, "") and "Error : another plan is being applied on this PC; try "
              "again when it has finished\n" in result[2] and time.monotonic() - started < 2 and
              nothing_arrives(listener), f"held by the {holder}: {result}")

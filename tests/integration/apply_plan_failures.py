#!/usr/bin/env python3
"""apply-plan against cameras that do not accept: a silent one is "No Response", a refusal
with text shows the camera's text, a bare refusal is "NG"; each marks its row, the plan goes
on with the next camera, and the exit code is 1. A camera that answers late is waited for. A move
onto the address of a camera that failed is held back. One plan runs at a time on this PC."""

import fcntl
import os
import socket
import subprocess
import tempfile
import time

from harness import (Simulator, bare_listener, check, discover_json, nothing_arrives,
                     parse_programs, run_cli)

args = parse_programs()


def apply_plan(text, target, password="password"):
    handle, path = tempfile.mkstemp(suffix=".csv")
    with os.fdopen(handle, "w") as f:
        f.write(text)
    try:
        return run_cli(args.cli, "apply-plan", path, "--user", "admin", "--password", password,
                       *target, timeout=120)
    finally:
        os.unlink(path)


with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "3",
               "--silent-settings", "1", "--refusing-cameras", "1", "--refuse-message",
               "Busy now") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    silent, good, refusing = sorted(
        c["mac"] for c in discover_json(args.cli, "--wait", "0.5", *target))
    result = apply_plan(f"mac,webPort\n{silent},8081\n{good},8082\n{refusing},8083\n", target)
    check((result.returncode, result.stdout) ==
          (1, f"{silent} No Response\n{good} verified\n{refusing} Busy now\n"),
          f"mixed: {result.returncode} {result.stdout!r} {result.stderr!r}")

with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "2") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    first, second = sorted(c["mac"] for c in discover_json(args.cli, "--wait", "0.5", *target))
    result = apply_plan(f"mac,webPort\n{first},8081\n{second},8082\n", target, "wrong-one")
    check((result.returncode, result.stdout) == (1, f"{first} NG\n{second} NG\n"),
          f"wrong password: {result.returncode} {result.stdout!r}")

# A camera that starts answering only after the first enquiry (still starting up) is waited
# for through the next enquiry, instead of refusing the plan as "not among the cameras found".
with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
    probe.bind(("127.0.0.1", 0))
    late_port = probe.getsockname()[1]
late_target = ["--target", f"127.0.0.1:{late_port}"]
handle, plan_path = tempfile.mkstemp(suffix=".csv")
with os.fdopen(handle, "w") as f:
    f.write("mac,webPort\n02:50:4D:00:00:01,8081\n")
try:
    applying = subprocess.Popen([args.cli, "apply-plan", plan_path, "--user", "admin",
                                 "--password", "password", *late_target],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    time.sleep(3.5)
    with Simulator(args.sim, "--bind", "127.0.0.1", "--port", str(late_port), "--cameras", "1"):
        out, err = applying.communicate(timeout=60)
    check((applying.returncode, out) == (0, "02:50:4D:00:00:01 verified\n"),
          f"late camera: {applying.returncode} {out!r} {err!r}")
finally:
    os.unlink(plan_path)

# The second camera is planned onto the silent first one's address, the third onto the refusing
# last one's: both are held back, sent nothing, and nobody moves.
fixed = [a for n in range(1, 5) for a in ("--address", f"10.7.0.{n}/255.255.255.0")]
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4",
               "--silent-settings", "1", "--refusing-cameras", "1", *fixed) as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    a, b, c, d = sorted(x["mac"] for x in discover_json(args.cli, "--wait", "0.5", *target))
    plan = f"mac,ipAddress\n{a},10.7.0.30\n{b},10.7.0.1\n{c},10.7.0.4\n{d},10.7.0.40\n"
    result = apply_plan(plan, target)
    left = sorted(x["ipAddress"] for x in discover_json(args.cli, "--wait", "0.5", *target))
    check((result.returncode, result.stdout, left) ==
          (1, f"{a} No Response\n{b} held back\n{d} NG\n{c} held back\n",
           ["10.7.0.1", "10.7.0.2", "10.7.0.3", "10.7.0.4"]), f"chain: {result} {left}")

# While plan.lock in the state directory is held, apply-plan is refused at once and sends nothing.
listener, quiet_target = bare_listener()
with open(os.path.join(os.environ["PELMORA_STATE_DIR"], "plan.lock"), "a") as lock:
    fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    started = time.monotonic()
    result = apply_plan("mac,webPort\n02:50:4D:00:00:01,8081\n", quiet_target)
    check((result.returncode, result.stdout) == (1, "") and time.monotonic() - started < 2 and
          "Error : another plan is being applied on this PC; try again when it has finished\n"
          in result.stderr and nothing_arrives(listener), f"lock held: {result}")

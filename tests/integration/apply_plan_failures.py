#!/usr/bin/env python3
"""apply-plan against cameras that do not accept: a silent one is "No Response", a refusal
with text shows the camera's text, a bare refusal is "NG"; each marks its row, the plan goes
on with the next camera, and the exit code is 1. A camera that answers late is waited for."""

import os
import socket
import subprocess
import tempfile
import time

from harness import Simulator, check, discover_json, parse_programs, run_cli

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

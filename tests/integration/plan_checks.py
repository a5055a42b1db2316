#!/usr/bin/env python3
"""Plans that apply-plan refuses are not written by plan, and plans whose edits would be lost or
that would do nothing are refused by apply-plan: "Plan refused:" and the reasons, exit 1, nothing
written by plan and nothing sent by apply-plan (the change log stays empty)."""

import os
import tempfile

from harness import Simulator, check, discover_json, parse_programs, run_cli

args = parse_programs()
ONE = "02:50:4D:00:00:01"

for options, reason in [
        ([ONE, "02-50-4d-00-00-01"], "listed more than once in the plan"),
        ([ONE, "--mask", "255.0.255.0"], "Subnetmask Error"),
        ([ONE, "--mask", "0.0.0.0"], "Subnetmask Error"),
        ([ONE, "--port", "0080"], "HTTP port No. Error"),
        ([ONE, "--gateway", "10.9.9.9"], "Gateway address Error")]:
    made = run_cli(args.cli, "plan", "--start", "192.0.2.10", *options)
    check((made.returncode, made.stdout, made.stderr) ==
          (1, "", f"Plan refused:\n  {ONE}: {reason}\n"),
          f"plan {options}: {made.returncode} {made.stdout!r} {made.stderr!r}")

state = tempfile.mkdtemp(prefix="pelmora-plan-checks-")
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "3") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    cameras = sorted(discover_json(args.cli, "--wait", "0.5", *target), key=lambda c: c["mac"])
    first, second, third = (c["mac"] for c in cameras)
    check(cameras[2]["dhcp"] == 1, "the simulator's third camera uses DHCP")
    for plan, reason in [
            (f"mac,ipAddress,ipAddress\n{first},192.0.2.1,192.0.2.2\n",
             'row 1: the column "ipAddress" is named twice'),
            ("mac,ipAddress\n", "the plan has no rows"),
            (f"mac,dhcp,ipAddress\n{third},1,192.0.2.77\n",
             f"row 2: an address on a DHCP row ({third}: 192.0.2.77 is not sent with DHCP)"),
            (f"mac,dhcp,ipAddress\n{first},1,\n{second},0,{cameras[0]['ipAddress']}\n",
             f"{second}: {cameras[0]['ipAddress']} is used by {first}, which is switched to "
             "DHCP and may keep it")]:
        handle, path = tempfile.mkstemp(suffix=".csv")
        with os.fdopen(handle, "w", newline="") as f:
            f.write(plan)
        result = run_cli(args.cli, "apply-plan", path, "--user", "admin", "--password",
                         "password", *target, env={"PELMORA_STATE_DIR": state})
        os.unlink(path)
        check((result.returncode, result.stdout) == (1, f"Plan refused:\n  {reason}\n"),
              f"{plan!r}: {result.returncode} {result.stdout!r} {result.stderr!r}")
        check(not os.path.exists(os.path.join(state, "changes.jsonl")), f"{plan!r} sent")

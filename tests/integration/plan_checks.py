#!/usr/bin/env python3
"""plan writes no plan that apply-plan would refuse, and apply-plan refuses plans whose edits
would be lost or that would do nothing: "Plan refused:" and the reason, exit 1, no plan written,
nothing sent (the change log stays empty)."""

import os
import tempfile

from harness import Simulator, check, discover_json, parse_programs, run_cli

args = parse_programs()
ONE = "02:50:4D:00:00:01"

for options, reason in [([ONE, "02-50-4d-00-00-01"], "listed more than once in the plan"),
                        (["--mask", "255.0.255.0", ONE], "Subnetmask Error"),
                        (["--mask", "0.0.0.0", ONE], "Subnetmask Error"),
                        (["--port", "0080", ONE], "HTTP port No. Error"),
                        (["--gateway", "10.9.9.9", ONE], "Gateway address Error")]:
    made = run_cli(args.cli, "plan", "--start", "198.51.100.10", *options)
    check((made.returncode, made.stdout, made.stderr) ==
          (1, "", f"Plan refused:\n  {ONE}: {reason}\n"), f"plan {options}: {made}")

state = tempfile.mkdtemp(prefix="pelmora-plan-checks-")
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "3") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    a, _, third = sorted(discover_json(args.cli, "--wait", "0.5", *target), key=lambda c: c["mac"])
    check(third["dhcp"] == 1, "the simulator's third camera uses DHCP")
    a, c = a["mac"], third["mac"]
    for plan, reason in [
            (f"mac,ipAddress,ipAddress\n{a},1.2.3.4,1.2.3.5\n",
             'row 1: the column "ipAddress" is named twice'),
            ("mac,ipAddress\n", "the plan has no rows"),
            (f"mac,dhcp,ipAddress\n{c},1,1.2.3.4\n",
             f"row 2: an address on a DHCP row ({c}: 1.2.3.4 is not sent with DHCP)")]:
        handle, path = tempfile.mkstemp(suffix=".csv")
        with os.fdopen(handle, "w") as f:
            f.write(plan)
        result = run_cli(args.cli, "apply-plan", path, "--user", "admin", "--password",
                         "password", *target, env={"PELMORA_STATE_DIR": state})
        os.unlink(path)
        check((result.returncode, result.stdout) == (1, f"Plan refused:\n  {reason}\n"),
              f"{plan!r}: {result}")
        check(not os.path.exists(os.path.join(state, "changes.jsonl")), f"{plan!r} sent")

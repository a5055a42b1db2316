#!/usr/bin/env python3
"""apply-plan --onvif: one plan for our cameras and ONVIF cameras on a camera LAN of our own
namespaces. A chain of moves across both kinds goes in the safe order (each camera after the one
that holds its planned address has left it); a swap between two ONVIF cameras is refused and sends
nothing; an address an ONVIF camera outside the plan holds is refused; an ONVIF camera that must
restart to take its address is restarted. When the first move of a chain is not confirmed, every
move onto an address still held is held back, our camera's included. Each simulated ONVIF camera is away for a while after
its move and then answers only at its new address, and every row is "verified". discover reads
the new addresses back, and history shows the ONVIF requests with "protocol": "onvif"."""

import json
import os
import subprocess
import tempfile

from harness import Simulator, camera_lan, check, parse_programs, run_cli, sh

PC, SIM = "10.78.5.1", "10.78.5.2"
ONVIF_A, ONVIF_B, ONVIF_C = "02:4F:4E:00:00:01", "02:4F:4E:00:00:02", "02:4F:4E:00:00:03"
OURS = "02:50:4D:00:00:01"
args = parse_programs(broadcasts=True)
subprocess.run(["ip", "route", "del", "default"], check=False)
holder, enter = camera_lan("planmix", f"{PC}/24", f"{SIM}/24")
STATE = tempfile.mkdtemp()
ENV = {"PELMORA_PASSWORD": "password", "PELMORA_STATE_DIR": STATE}


def address(n):
    return f"10.78.5.{n}"


def write_plan(rows):
    path = os.path.join(STATE, "plan.csv")
    with open(path, "w", encoding="utf-8") as plan:
        plan.write("mac,ipAddress,subnetMask\n")
        for mac, ip in rows:
            plan.write(f"{mac},{ip},255.255.255.0\n")
    return path


def apply(target, rows, *options):
    return run_cli(args.cli, "apply-plan", write_plan(rows), "--onvif", "--user", "admin",
                   "--target", target, "--wait", "3", *options, env=ENV, timeout=110)


try:
    # Every address a camera has or is given is on the camera namespace, as each real camera
    # would be reachable at its own; the simulator answers a probe to one only for the camera
    # that reports it.
    for n in (10, 11, 12, 20, 21):
        sh(*enter, "ip", "addr", "add", f"{address(n)}/24", "dev", "cam-planmix")
    with Simulator(args.sim, "--bind", "0.0.0.0", "--port", "0", "--cameras", "1", "--address",
                   f"{address(30)}/255.255.255.0", "--onvif", "3",
                   "--onvif-address", f"{address(10)}/255.255.255.0",
                   "--onvif-address", f"{address(11)}/255.255.255.0",
                   "--onvif-address", f"{address(12)}/255.255.255.0",
                   "--onvif-move-silence-ms", "800", "--onvif-restart-to-readdress", "1",
                   prefix=enter) as sim:
        target = f"{SIM}:{sim.port}"

        swap = apply(target, [(ONVIF_A, address(11)), (ONVIF_B, address(10))])
        check(swap.returncode == 1 and "form a cycle" in swap.stdout + swap.stderr and
              "verified" not in swap.stdout, f"swap: {swap}")
        outside = apply(target, [(OURS, address(12))])
        check(outside.returncode == 1 and f"is used by {ONVIF_C} (an ONVIF camera)" in
              outside.stdout + outside.stderr, f"held by an ONVIF camera: {outside}")

        # Ours onto A's address, A onto B's, B to a free one: B, then A, then ours.
        chain = [(OURS, address(10)), (ONVIF_A, address(11)), (ONVIF_B, address(20))]
        dry = apply(target, chain, "--dry-run")
        check(dry.returncode == 0 and f"Order: {ONVIF_B} {ONVIF_A} {OURS}\n" in dry.stdout and
              "(ONVIF: SetNetworkInterfaces)" in dry.stdout, f"dry run: {dry}")
        logged = json.loads(run_cli(args.cli, "history", "--json", env=ENV).stdout)
        check(logged == [], f"nothing sent before the plan is applied: {logged}")

        # B's move is to an address it cannot be reached at: it is not confirmed, so A and ours
        # are never sent.
        lost = apply(target, chain[:2] + [(ONVIF_B, address(99))], "--verify-timeout", "2")
        check((lost.returncode, lost.stdout) ==
              (1, f"{ONVIF_B} not confirmed\n{ONVIF_A} held back\n{OURS} held back\n"),
              f"first move lost: {lost}")
        # B has left A's planned address after all: A goes first now, ours after it.
        applied = apply(target, chain, "--verify-timeout", "15")
        check((applied.returncode, applied.stdout) ==
              (0, f"{ONVIF_A} verified\n{OURS} verified\n{ONVIF_B} verified\n"),
              f"applied: {applied}")

        listed = json.loads(run_cli(args.cli, "discover", "--json", "--wait", "1", "--onvif",
                                    "--user", "admin", "--target", target, env=ENV).stdout)
        where = {c["mac"]: c["ipAddress"] for c in listed}
        check((where.get(ONVIF_A), where.get(ONVIF_B), where.get(OURS)) ==
              (address(11), address(20), address(10)), f"read back: {where}")

        logged = json.loads(run_cli(args.cli, "history", "--json", env=ENV).stdout)
        # Newest first.
        onvif = [(e["mac"], e["action"], e["result"]) for e in reversed(logged)
                 if e.get("protocol") == "onvif"]
        # B must restart to take its address: the plan restarts it, each time.
        check(onvif == [(ONVIF_B, "network", "OK"), (ONVIF_B, "reboot", "OK"),
                        (ONVIF_A, "network", "OK"), (ONVIF_B, "network", "OK"),
                        (ONVIF_B, "reboot", "OK")], f"history: {logged}")
        with open(f"{STATE}/changes.jsonl", encoding="utf-8") as log:
            check("password" not in log.read(), "no password in the change log")
finally:
    holder.kill()
    holder.wait()
print("apply-plan --onvif: ok")

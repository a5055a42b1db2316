#!/usr/bin/env python3
"""The change log against pelmora-sim on 127.0.0.1: set-network and set-pppoe each leave a sent
line and an outcome line sharing an id, with no password anywhere in the file; history reads
them back newest first (a damaged line skipped and counted); a log that cannot be written stops
no request; and diff finds the renumbered camera between two discover lists, JSON or CSV."""

import base64
import json
import os
import tempfile

from harness import Simulator, check, parse_programs, run_cli

args = parse_programs()

ADMIN_PASSWORD = "Adm1nSecret"
PPPOE_PASSWORD = "Dial:Passw0rd"
ADMIN = ["--user", "admin", "--password", ADMIN_PASSWORD]
state = tempfile.mkdtemp(prefix="pelmora-change-log-")
log = os.path.join(state, "changes.jsonl")
env = {"PELMORA_STATE_DIR": state}

with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4",
               "--password", ADMIN_PASSWORD) as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]

    def cli(*arguments, extra_env=env):
        return run_cli(args.cli, *arguments, env=extra_env)

    def listing(path, form):
        result = cli("discover", form, "--wait", "0.5", *target)
        check(result.returncode == 0, f"discover: {result.stderr}")
        with open(path, "w") as out:
            out.write(result.stdout)
        return result.stdout

    before_json = os.path.join(state, "before.json")
    before_csv = os.path.join(state, "before.csv")
    cameras = json.loads(listing(before_json, "--json"))
    listing(before_csv, "--csv")
    pppoe_camera = next(c for c in cameras if c["pppoeReported"])
    moved = next(c for c in cameras if c is not pppoe_camera)

    result = cli("set-network", moved["mac"], "--ip", "10.9.0.44", "--mask", "255.255.255.0",
                 *ADMIN, *target)
    check((result.returncode, result.stdout) == (0, "Setting OK\n"),
          f"set-network: {result.returncode} {result.stdout!r} {result.stderr!r}")
    result = cli("set-pppoe", pppoe_camera["mac"], "--on", "--pppoe-user", "dialer",
                 "--pppoe-password", PPPOE_PASSWORD, "--dns-auto", *ADMIN, *target)
    check((result.returncode, result.stdout) == (0, "Setting OK\n"),
          f"set-pppoe: {result.returncode} {result.stdout!r} {result.stderr!r}")

    raw = open(log, "rb").read()
    for secret in (ADMIN_PASSWORD, PPPOE_PASSWORD, "Passw0rd",
                   base64.b64encode(f"admin:{ADMIN_PASSWORD}".encode()).decode(),
                   base64.b64encode(f"dialer:{PPPOE_PASSWORD}".encode()).decode()):
        check(secret.encode() not in raw, f"{secret!r} is in the change log")
    check(oct(os.stat(log).st_mode & 0o777) == "0o600", "the log is not private")
    lines = [json.loads(line) for line in raw.decode().splitlines()]
    check(len(lines) == 4, f"expected two pairs of lines: {lines}")
    for sent, outcome, action, mac in ((lines[0], lines[1], "network", moved["mac"]),
                                       (lines[2], lines[3], "pppoe", pppoe_camera["mac"])):
        check(sent["result"] == "sent" and outcome["result"] == "OK" and
              sent["id"] == outcome["id"], f"{action}: {sent} {outcome}")
        check((sent["program"], sent["action"], sent["mac"]) == ("pelmora-cli", action, mac),
              f"{action}: {sent}")
        # As listed when the request left: the command sends without waiting for a reply, so
        # the camera may not have answered yet.
        check(sent["model"] in ("", moved["model"], pppoe_camera["model"]) and
              sent["ipAddress"] in ("", moved["ipAddress"], pppoe_camera["ipAddress"]),
              f"{action} as listed: {sent}")
    check(lines[0]["settings"] == {"dhcp": 0, "ipAddress": "10.9.0.44",
                                   "subnetMask": "255.255.255.0", "dnsAuto": 0, "webPort": 80},
          f"network settings: {lines[0]['settings']}")
    check(lines[2]["settings"] == {"pppoeOn": 1, "pppoeUserId": "dialer", "pppoeDnsAuto": 1},
          f"PPPoE settings: {lines[2]['settings']}")

    # history: newest first; a damaged line is skipped and counted on stderr.
    with open(log, "a") as out:
        out.write('{"id": "broken\n')
    result = cli("history")
    shown = result.stdout.splitlines()
    check(result.returncode == 0 and len(shown) == 2, f"history: {result.stdout!r}")
    check(shown[0].split("  ")[1:] == [pppoe_camera["mac"], "pppoe",
                                       "PPPoE on, PPPoE user ID dialer, PPPoE DNS automatic",
                                       "OK"], f"history's first line: {shown[0]!r}")
    check("IP address 10.9.0.44" in shown[1], f"history's second line: {shown[1]!r}")
    check("1 line of the change log could not be read" in result.stderr,
          f"history's note: {result.stderr!r}")
    result = cli("history", "--mac", moved["mac"].lower().replace(":", "-"), "--json")
    entries = json.loads(result.stdout)
    check(len(entries) == 1 and entries[0]["action"] == "network" and
          entries[0]["result"] == "OK" and "settledAt" in entries[0], f"history --json: {entries}")
    result = cli("history", "--limit", "1")
    check(len(result.stdout.splitlines()) == 1, f"history --limit 1: {result.stdout!r}")

    # A log that cannot be written: the request is sent and answered all the same, one line
    # on stderr says why.
    result = cli("set-pppoe", pppoe_camera["mac"], "--off", *ADMIN, *target,
                 extra_env={"PELMORA_STATE_DIR": "/dev/null/pelmora"})
    check((result.returncode, result.stdout) == (0, "Setting OK\n") and
          result.stderr.count("change log not written") == 1,
          f"unwritable log: {result.returncode} {result.stdout!r} {result.stderr!r}")

    # diff: the same cameras as JSON and CSV are no difference; after the changes, the moved
    # camera's address and the PPPoE camera's state are.
    result = cli("diff", before_json, before_csv)
    check((result.returncode, result.stdout) == (0, ""), f"diff JSON CSV: {result.stdout!r}")
    after_csv = os.path.join(state, "after.csv")
    listing(after_csv, "--csv")
    result = cli("diff", before_json, after_csv)
    check(result.returncode == 1 and
          f"~ {moved['mac']} ipAddress: {moved['ipAddress']} -> 10.9.0.44" in result.stdout,
          f"diff before after: {result.returncode} {result.stdout!r}")
    result = cli("diff", "--json", before_csv, after_csv)
    changed = json.loads(result.stdout)["changed"]
    check({"mac": moved["mac"], "field": "dhcp", "old": str(moved["dhcp"]), "new": "0"}
          in changed or moved["dhcp"] == 0, f"diff --json: {changed}")
    with open(after_csv, "a") as out:
        out.write("02:50:4D:FF:FF:FF\n")
    result = cli("diff", before_json, after_csv)
    check(result.returncode == 2 and f"{after_csv}:{len(open(after_csv).readlines())}:" in
          result.stderr, f"damaged list: {result.returncode} {result.stderr!r}")
print("change log: ok")

#!/usr/bin/env python3
"""set-network --onvif against pelmora-sim's ONVIF cameras on a camera LAN of our own namespaces: a
new fixed address, gateway, name server and web port are sent as only the requests for what
changes, the camera is then found at its new address and confirmed by MAC ("verified"), and
discover reads the new settings back; a change the Network page would refuse is refused with its
message and sends nothing, and so is an address another camera holds; a dry run names the
requests; a camera that cannot be found at its new address is "not confirmed" (exit 1); a move
while another run holds the plan lock is refused. The change log records the change with
"protocol": "onvif" and no password; history shows it."""

import fcntl
import json
import os
import subprocess
import tempfile

from harness import Simulator, camera_lan, check, parse_programs, run_cli, sh

PC, CAMERAS, MOVED = "10.78.4.1", "10.78.4.2", "10.78.4.50"
args = parse_programs(broadcasts=True)
subprocess.run(["ip", "route", "del", "default"], check=False)
holder, enter = camera_lan("onvifnet", f"{PC}/24", f"{CAMERAS}/24")
CAMERA = "02:4F:4E:00:00:01"
CREDENTIALS = ("--user", "admin")
STATE = tempfile.mkdtemp()
ENV = {"PELMORA_PASSWORD": "password", "PELMORA_STATE_DIR": STATE}


def set_network(*options):
    return run_cli(args.cli, "set-network", CAMERA, "--onvif", *CREDENTIALS, *options, env=ENV)


def read_camera():
    listed = run_cli(args.cli, "discover", "--json", "--wait", "0.5", "--onvif", *CREDENTIALS,
                     env=ENV)
    return next(c for c in json.loads(listed.stdout) if c.get("mac") == CAMERA)


try:
    # Served on every address of the camera namespace: once the camera reports its new address,
    # it answers there too, as a camera that moved would.
    sh(*enter, "ip", "addr", "add", f"{MOVED}/24", "dev", "cam-onvifnet")
    with Simulator(args.sim, "--bind", "0.0.0.0", "--port", "0", "--cameras", "0", "--onvif",
                   "2", "--onvif-address", f"{CAMERAS}/255.255.255.0/10.78.4.254",
                   "--onvif-address", "10.78.4.3/255.255.255.0/10.78.4.254", prefix=enter):
        taken = set_network("--ip", "10.78.4.3", "--mask", "255.255.255.0")
        check((taken.returncode, taken.stdout) ==
              (1, "Not Sent: 10.78.4.3 is in use by 02:4F:4E:00:00:02\n"), f"taken: {taken}")
        refused = set_network("--ip", MOVED, "--mask", "255.255.255.0", "--gateway", "10.9.9.9")
        check((refused.returncode, refused.stdout) == (1, "Gateway address Error\n"),
              f"refused: {refused}")
        dry = set_network("--dns1", "9.9.9.9", "--port", "8080", "--dry-run")
        check(dry.returncode == 0 and dry.stdout.endswith("): SetDNS SetNetworkProtocols\n"),
              f"dry run: {dry}")

        moved = set_network("--ip", MOVED, "--mask", "255.255.255.0", "--dns1", "9.9.9.9",
                            "--port", "8080", "--verify-timeout", "10")
        check((moved.returncode, moved.stdout) == (0, "Setting OK\nverified\n"), f"moved: {moved}")
        camera = read_camera()
        check((camera["ipAddress"], camera["subnetMask"], camera["gateway"], camera["dns1"],
               camera["dnsAuto"], camera["webPort"]) ==
              (MOVED, "255.255.255.0", "10.78.4.254", "9.9.9.9", 0, 8080), f"read back: {camera}")

        logged = json.loads(run_cli(args.cli, "history", "--json", env=ENV).stdout)
        check([(e.get("protocol"), e["action"], e["result"]) for e in logged] ==
              [("onvif", "network", "OK")] and logged[0]["settings"]["ipAddress"] == MOVED,
              f"history: {logged}")
        with open(f"{STATE}/changes.jsonl", encoding="utf-8") as log:
            check("password" not in log.read(), "no password in the change log")

        # Another run holding the plan lock (two installers at once): no move while it lasts.
        with open(os.path.join(STATE, "plan.lock"), "w", encoding="utf-8") as held:
            fcntl.flock(held, fcntl.LOCK_EX)
            waiting = set_network("--ip", "10.78.4.60", "--mask", "255.255.255.0")
        check((waiting.returncode, waiting.stdout) == (1, "Not Sent\n") and
              waiting.stderr.startswith("Error : another plan"), f"locked: {waiting}")

        lost = set_network("--ip", "10.78.4.77", "--mask", "255.255.255.0", "--verify-timeout",
                           "2")
        check((lost.returncode, lost.stdout) == (1, "Setting OK\nnot confirmed\n"),
              f"not there: {lost}")
finally:
    holder.kill()
    holder.wait()
print("set-network --onvif: ok")

#!/usr/bin/env python3
"""reboot --onvif against pelmora-sim's ONVIF cameras on a camera LAN of our own namespaces: the
camera found by its MAC is restarted ("Setting OK", exit 0); a camera whose every answer is a
fault, and one that refuses the credentials, never tell their MACs, so neither is found by it
("No Response", exit 1; standard error says that one refused); a dry run names the request and
sends nothing. set-time --onvif sets a clock 3 h off from this PC's, or to a time given in a
zone's local time, one line per camera."""

import json
import subprocess
import time
from datetime import datetime, timezone

from harness import Simulator, camera_lan, check, parse_programs, run_cli

PC, CAMERAS = "10.78.3.1", "10.78.3.2"
args = parse_programs(broadcasts=True)
subprocess.run(["ip", "route", "del", "default"], check=False)
holder, enter = camera_lan("onvifset", f"{PC}/24", f"{CAMERAS}/24")


def reboot(mac, *options):
    return run_cli(args.cli, "reboot", mac, "--onvif", "--user", "admin", *options,
                   env={"PELMORA_PASSWORD": "password"})


try:
    with Simulator(args.sim, "--bind", CAMERAS, "--port", "0", "--cameras", "0", "--onvif", "3",
                   "--onvif-fault", "1", "--onvif-refuse", "1", "--onvif-clock-offset-of",
                   "0=10800", prefix=enter):
        good, faulty, refusing = "02:4F:4E:00:00:01", "02:4F:4E:00:00:02", "02:4F:4E:00:00:03"
        done = reboot(good)
        check((done.returncode, done.stdout) == (0, "Setting OK\n"), f"reboot: {done}")
        dry = reboot(good.lower().replace(":", "-"), "--dry-run")
        check(dry.returncode == 0 and dry.stdout.startswith(f"Would send to {good} (ONVIF, http://")
              and dry.stdout.endswith("): SystemReboot\n"), f"dry run: {dry}")
        # Read without its MAC (every answer a fault), the faulty camera is not found by it.
        lost = reboot(faulty)
        check((lost.returncode, lost.stdout) == (1, "No Response\n"), f"faulty: {lost}")
        refused = reboot(refusing)
        check(refused.returncode == 1 and "refused the credentials" in refused.stderr,
              f"refusing: {refused}")
        def clock_offset():
            listed = run_cli(args.cli, "discover", "--json", "--wait", "0.5", "--onvif", "--user",
                             "admin", env={"PELMORA_PASSWORD": "password"})
            return next(c["clockOffset"] for c in json.loads(listed.stdout) if c["mac"] == good)

        check(abs(clock_offset() - 10800) <= 5, "the clock starts 3 h ahead")
        timed = run_cli(args.cli, "set-time", good, refusing, "--onvif", "--pc", "--user", "admin",
                        env={"PELMORA_PASSWORD": "password"})
        check((timed.returncode, timed.stdout) == (1, f"{good} OK\n{refusing} No Response\n"),
              f"set-time --pc: {timed}")
        check(abs(clock_offset()) <= 5, "set from this PC's clock")
        at = run_cli(args.cli, "set-time", good, "--onvif", "--at", "2030-01-02 12:00:00",
                     "--zone", "9", "--user", "admin", env={"PELMORA_PASSWORD": "password"})
        check((at.returncode, at.stdout) == (0, f"{good} OK\n"), f"set-time --at: {at}")
        expected = datetime(2030, 1, 2, 3, 0, 0, tzinfo=timezone.utc).timestamp() - time.time()
        check(abs(clock_offset() - expected) <= 10, "12:00 at GMT+9 is 03:00 UTC")
finally:
    holder.kill()
    holder.wait()
print("reboot --onvif: ok")

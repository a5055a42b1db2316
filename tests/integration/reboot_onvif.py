#!/usr/bin/env python3
"""reboot --onvif against pelmora-sim's ONVIF cameras on a camera LAN of our own namespaces: the
camera found by its MAC is restarted ("Setting OK", exit 0); a camera whose every answer is a
fault, and one that refuses the credentials, never tell their MACs, so neither is found by it
("No Response", exit 1; standard error says that one refused); a dry run names the request and
sends nothing."""

import subprocess

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
                   "--onvif-fault", "1", "--onvif-refuse", "1", prefix=enter):
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
finally:
    holder.kill()
    holder.wait()
print("reboot --onvif: ok")

#!/usr/bin/env python3
"""discover --onvif against pelmora-sim's ONVIF cameras on a camera LAN of our own namespaces:
multicast finds all but the camera that ignores it, a directed probe finds that one too, and each
camera is read as far as it lets itself be (a clock 3 h behind, a slow one, one that faults
everything, one that refuses every password). Beside two of our cameras, the LAN diagnosis spans
both kinds: an ONVIF camera on one of ours' address is a duplicate on both sides, one of ours
answering ONVIF too is not, and a clock 3 h 12 min behind is said. A burst of 300 cameras'
answers is found whole."""

import json
import subprocess

from harness import Simulator, camera_lan, check, parse_programs, run_cli

PC, CAMERAS = "10.78.1.1", "10.78.1.2"
args = parse_programs(broadcasts=True)
subprocess.run(["ip", "route", "del", "default"], check=False)
holder, enter = camera_lan("onvifcli", f"{PC}/24", f"{CAMERAS}/24")


def discover(*options, password=None):
    result = run_cli(args.cli, "discover", "--json", "--wait", "0.5", *options,
                     env={"PELMORA_PASSWORD": password} if password else None)
    check(result.returncode == 0, f"discover {options}: {result.stderr}")
    return {c["name"]: c for c in json.loads(result.stdout) if c.get("protocol") == "onvif"}


try:
    with Simulator(args.sim, "--bind", CAMERAS, "--port", "0", "--cameras", "0", "--onvif", "5",
                   "--onvif-ignore-multicast", "1", "--onvif-clock-offset-of", "1=-10800",
                   "--onvif-slow", "1", "--onvif-slow-ms", "1500", "--onvif-fault", "1",
                   "--onvif-refuse", "1", prefix=enter):
        names = [f"ONVIF Sim {i}" for i in range(1, 6)]
        found = discover("--onvif")
        check(sorted(found) == names[1:], f"multicast: {sorted(found)}")
        check(all(c["access"] == "credentials needed" for c in found.values()), f"{found}")

        cameras = discover("--onvif-probe", CAMERAS, "--user", "admin", password="password")
        check(sorted(cameras) == names, f"directed: {sorted(cameras)}")
        access = {name: cameras[name]["access"] for name in names}
        check(access == dict(zip(names, ["read", "read", "read", "unreachable",
                                         "credentials refused"])), f"access: {access}")
        behind = cameras["ONVIF Sim 2"]
        check(abs(behind["clockOffset"] + 10800) <= 5, f"clock: {behind['clockOffset']}")
        check(behind["mac"].startswith("02:4F:4E") and behind["ipAddress"] != CAMERAS and
              behind["manufacturer"] and behind["serviceAddress"].startswith(f"http://{CAMERAS}:"),
              f"read: {behind}")
        refused = cameras["ONVIF Sim 5"]
        check(refused["mac"] == "" and refused["ipAddress"] == CAMERAS and
              refused["interface"] == "tool-onvifcli", f"refused: {refused}")

    with Simulator(args.sim, "--cameras", "2", "--mac-prefix", "02:50:4D",
                   "--address", "10.78.1.5/255.255.255.0", "--address", "10.78.1.6/255.255.255.0",
                   "--onvif", "3", "--onvif-address-of-own", "0", "--onvif-address-of-own", "1",
                   "--onvif-mac-of-own", "1", "--onvif-clock-offset-of", "2=-11520",
                   prefix=enter):
        listed = run_cli(args.cli, "discover", "--json", "--wait", "1", "--onvif", "--user",
                         "admin", env={"PELMORA_PASSWORD": "password"})
        every = json.loads(listed.stdout)
        ours = {c["mac"]: c for c in every if "protocol" not in c}
        onvif = {c["name"]: c for c in every if c.get("protocol") == "onvif"}
        check(len(ours) == 2 and len(onvif) == 3, f"listed: {listed.stdout} {listed.stderr}")
        shared = onvif["ONVIF Sim 1"]
        by_address = {c["ipAddress"]: c for c in ours.values()}
        check(by_address["10.78.1.5"]["problems"] == ["duplicate-ip"] and
              shared["problems"] == ["duplicate-ip"], f"duplicate: {by_address} {shared}")
        both = onvif["ONVIF Sim 2"]
        check(both["mac"] in ours and both["problems"] == [] and
              ours[both["mac"]]["problems"] == [], f"one camera, two protocols: {both}")
        check("clock-off" in onvif["ONVIF Sim 3"]["problems"], f"clock: {onvif['ONVIF Sim 3']}")
        table = run_cli(args.cli, "discover", "--wait", "1", "--onvif", "--user", "admin",
                        env={"PELMORA_PASSWORD": "password"}).stdout
        check(table.endswith("4 cameras \u00b7 3 ONVIF\n"), f"counted once: {table}")

    # Hundreds of cameras answer one probe within a millisecond, each twice: every one is found.
    with Simulator(args.sim, "--bind", CAMERAS, "--port", "0", "--cameras", "0", "--onvif", "300",
                   prefix=enter):
        found = discover("--onvif")
        check(len(found) == 300, f"a burst of answers: {len(found)} of 300 found")
finally:
    holder.kill()
    holder.wait()
print("discover --onvif against the simulator: ok")

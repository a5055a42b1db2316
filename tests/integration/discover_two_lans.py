#!/usr/bin/env python3
"""Two camera LANs on different subnets, no default route: the tool's namespace is joined by a
veth pair to each of two camera namespaces, and discovery must find the cameras on both."""

import subprocess

from harness import Simulator, camera_lan, check, discover_json, parse_programs

args = parse_programs(broadcasts=True)

subprocess.run(["ip", "route", "del", "default"], check=False)
holders = []
try:
    lan_a, enter_a = camera_lan("a", "10.77.1.1/24", "10.77.1.2/24")
    holders.append(lan_a)
    lan_b, enter_b = camera_lan("b", "10.77.2.1/24", "10.77.2.2/24")
    holders.append(lan_b)
    with Simulator(args.sim, "--cameras", "3", "--mac-prefix", "02:00:0A", prefix=enter_a), \
            Simulator(args.sim, "--cameras", "4", "--mac-prefix", "02:00:0B", prefix=enter_b):
        cameras = discover_json(args.cli, "--wait", "1.5")
        macs = sorted(c["mac"] for c in cameras)
        check(sum(m.startswith("02:00:0A") for m in macs) == 3, f"LAN a cameras missing: {macs}")
        check(sum(m.startswith("02:00:0B") for m in macs) == 4, f"LAN b cameras missing: {macs}")
finally:
    for holder in holders:
        holder.kill()
        holder.wait()
print("discover across two LANs: ok")

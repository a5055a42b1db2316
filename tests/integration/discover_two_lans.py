#!/usr/bin/env python3
"""Two camera LANs on different subnets, no default route: the tool's namespace is joined by a
veth pair to each of two camera namespaces, and discovery must find the cameras on both."""

import subprocess
import time

from harness import Simulator, check, discover_json, parse_programs

args = parse_programs(broadcasts=True)


def sh(*command):
    subprocess.run(command, check=True)


def camera_lan(name, subnet):
    """A namespace held open by a sleeping process, linked to ours by a veth pair."""
    holder = subprocess.Popen(["unshare", "--net", "sleep", "600"])
    netns = f"/proc/{holder.pid}/ns/net"
    for _ in range(100):
        # unshare has made the namespace once the holder's differs from ours.
        if subprocess.run(["readlink", netns], capture_output=True, text=True).stdout != \
                subprocess.run(["readlink", "/proc/self/ns/net"], capture_output=True,
                               text=True).stdout:
            break
        time.sleep(0.01)
    ours, theirs = f"tool-{name}", f"cam-{name}"
    sh("ip", "link", "add", ours, "type", "veth", "peer", "name", theirs)
    sh("ip", "link", "set", theirs, "netns", str(holder.pid))
    sh("ip", "addr", "add", f"{subnet}.1/24", "dev", ours)
    sh("ip", "link", "set", ours, "up")
    enter = ["nsenter", "-t", str(holder.pid), "-n"]
    sh(*enter, "ip", "link", "set", "lo", "up")
    sh(*enter, "ip", "addr", "add", f"{subnet}.2/24", "dev", theirs)
    sh(*enter, "ip", "link", "set", theirs, "up")
    return holder, enter


subprocess.run(["ip", "route", "del", "default"], check=False)
holders = []
try:
    lan_a, enter_a = camera_lan("a", "10.77.1")
    holders.append(lan_a)
    lan_b, enter_b = camera_lan("b", "10.77.2")
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

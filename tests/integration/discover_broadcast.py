#!/usr/bin/env python3
"""The real default: pelmora-cli broadcasts to 255.255.255.255 port 2380 with SO_BROADCAST and
finds pelmora-sim bound to the setup port, all inside a private network namespace."""


from harness import Simulator, check, discover_json, parse_programs

args = parse_programs(broadcasts=True)

with Simulator(args.sim, "--cameras", "8"):
    cameras = discover_json(args.cli, "--wait", "1")
    check(len(cameras) == 8, f"expected 8 cameras, got {len(cameras)}")
print("discover by broadcast: ok")

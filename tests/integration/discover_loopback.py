#!/usr/bin/env python3
"""pelmora-cli discover against pelmora-sim on 127.0.0.1, destination injected; and more cameras
than the table holds, which discover lists to the brim and then says, once, were turned away."""

import re

from harness import Simulator, check, discover_json, parse_programs, run_cli

RECORD_KEYS = ["mac", "model", "serial", "softVersion", "ipAddress", "pppoeIpAddress", "dhcp",
               "subnetMask", "gateway", "dnsAuto", "dns1", "dns2", "dns3", "dns4", "webPort",
               "bandElements", "currentBand", "clock", "timeZone", "dateTimeFormat",
               "dateTimeMark", "pppoeReported", "pppoeOn", "pppoeDnsAuto", "pppoeDns1",
               "pppoeDns2", "age", "interface", "interfaceAddress", "reachability", "problems"]

args = parse_programs()

with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "20") as sim:
    target = f"127.0.0.1:{sim.port}"
    cameras = discover_json(args.cli, "--wait", "1", "--target", target)
    check(len(cameras) == 20, f"expected 20 cameras, got {len(cameras)}")
    check(all(list(c.keys()) == RECORD_KEYS for c in cameras), "JSON keys differ from the record's")
    check(len({c["mac"] for c in cameras}) == 20, "MACs are not unique")
    check(all(c["clock"] is not None and c["age"] < 60 for c in cameras), "clock or age missing")
    check(any(c["dhcp"] == 1 for c in cameras) and any(c["dhcp"] == 0 for c in cameras),
          "expected both DHCP and fixed cameras")
    check(all(isinstance(c["bandElements"], list) and c["bandElements"] for c in cameras),
          "band lists missing")
    # Over loopback the subnets say nothing; the simulated addresses are all distinct and sound.
    check(all((c["interfaceAddress"], c["reachability"], c["problems"]) ==
              ("127.0.0.1/8", "unknown", []) for c in cameras),
          f"diagnosis over loopback: {[(c['interface'], c['reachability']) for c in cameras]}")
    healthy = run_cli(args.cli, "discover", "--problems", "--wait", "0.5", "--target", target)
    check((healthy.returncode, healthy.stdout.splitlines()[-1]) == (0, "0 cameras"),
          f"--problems with none: {healthy.returncode} {healthy.stdout!r}")

    plain = run_cli(args.cli, "discover", "--wait", "0.5", "--target", target)
    check(plain.returncode == 0, "plain discover failed: " + plain.stderr)
    lines = plain.stdout.splitlines()
    check(lines[0].split()[:2] == ["MAC", "address"], "table header missing")
    check(lines[-1] == "20 cameras", "count line missing: " + lines[-1])
    check(any("DHCP" in line for line in lines[1:-1]), "DHCP cameras not shown as DHCP")
    check("table is full" not in plain.stderr, f"a table with room: {plain.stderr!r}")

with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "1024",
               "--flood", "400", "--flood-macs", "50", "--duration", "30") as sim:
    full = run_cli(args.cli, "discover", "--wait", "2", "--target", f"127.0.0.1:{sim.port}")
    said = re.findall(r"^Warning: the camera table is full \(1024\); [1-9][0-9]* replies from "
                      r"other cameras were dropped$", full.stderr, re.MULTILINE)
    check((full.returncode, full.stdout.splitlines()[-1:], len(said)) == (0, ["1024 cameras"], 1),
          f"a full table: {full.returncode} {full.stdout.splitlines()[-1:]} {full.stderr!r}")

bad = run_cli(args.cli, "discover", "--target", "127.0.0.1:notaport")
check(bad.returncode == 2 and "--target" in bad.stderr, "a bad --target is a usage error")
bad = run_cli(args.cli, "discover", "--wait", "-1")
check(bad.returncode == 2, "a negative --wait is a usage error")
for words in (["frobnicate"], ["discovery", "--wait", "1"], ["Discover"]):
    bad = run_cli(args.cli, *words)
    check(bad.returncode == 2 and f"unknown command {words[0]}\n" in bad.stderr,
          f"{words[0]}: {bad.returncode} {bad.stderr!r}")
print("discover over loopback: ok")

#!/usr/bin/env python3
"""What is wrong on two camera LANs, end to end: the tool's namespace is on two veth LANs,
10.1.0.1/24 (LAN a) and 10.2.0.1/24 (LAN b), with no default route. On LAN a one camera shares
the subnet and one is on another; on LAN b two cameras share 10.2.0.7, one uses the PC's own
10.2.0.1 and one has its gateway outside its subnet. discover must say which interface each reply
came in on and what is wrong, word for word; --problems must list the faulty ones and exit 1; and
set-network --suggest-address must send the exact request that moves a camera to a free address
of its LAN, which the camera then reports."""

import json
import subprocess

from harness import (Capture, Simulator, camera_lan, check, discover_json, parse_programs,
                     run_cli)

args = parse_programs(broadcasts=True)

RECORD_KEYS = ["mac", "model", "serial", "softVersion", "ipAddress", "pppoeIpAddress", "dhcp",
               "subnetMask", "gateway", "dnsAuto", "dns1", "dns2", "dns3", "dns4", "webPort",
               "bandElements", "currentBand", "clock", "timeZone", "dateTimeFormat",
               "dateTimeMark", "pppoeReported", "pppoeOn", "pppoeDnsAuto", "pppoeDns1",
               "pppoeDns2", "age"]
DIAGNOSIS_KEYS = ["interface", "interfaceAddress", "reachability", "problems"]
ADMIN = ["--user", "admin", "--password", "password"]
MASK = "255.255.255.0"

A = "02:50:4D:00:00:0"  # LAN a's cameras, 1 and 2
B = "02:50:4E:00:00:0"  # LAN b's, 1 to 4
# MAC: (address, interface, interfaceAddress, reachability, problems)
EXPECTED = {
    A + "1": ("10.1.0.5", "tool-a", "10.1.0.1/24", "same-subnet", []),
    A + "2": ("192.168.0.10", "tool-a", "10.1.0.1/24", "other-subnet", ["other-subnet"]),
    B + "1": ("10.2.0.7", "tool-b", "10.2.0.1/24", "same-subnet", ["duplicate-ip"]),
    B + "2": ("10.2.0.7", "tool-b", "10.2.0.1/24", "same-subnet", ["duplicate-ip"]),
    B + "3": ("10.2.0.1", "tool-b", "10.2.0.1/24", "same-subnet", ["pc-address"]),
    B + "4": ("10.2.0.8", "tool-b", "10.2.0.1/24", "same-subnet", ["gateway-outside-subnet"]),
}
NOTES = {
    A + "1": "",
    A + "2": "On another subnet: this PC is 10.1.0.1/24 on tool-a",
    B + "1": f"Shares 10.2.0.7 with {B}2",
    B + "2": f"Shares 10.2.0.7 with {B}1",
    B + "3": "Uses 10.2.0.1, an address of this PC",
    B + "4": f"Gateway 10.9.9.9 is outside the subnet 10.2.0.8/{MASK}",
}


def diagnosis(camera):
    return (camera["ipAddress"],) + tuple(camera[k] for k in DIAGNOSIS_KEYS)


def setting_requests(capture):
    return [p for p in capture.payloads() if p.startswith(b"\x02SETMAC:")]


subprocess.run(["ip", "route", "del", "default"], check=False)
holders = []
try:
    # The simulators' own hosts sit at .200, an address the cameras do not report.
    lan_a, enter_a = camera_lan("a", "10.1.0.1/24", "10.1.0.200/24")
    holders.append(lan_a)
    lan_b, enter_b = camera_lan("b", "10.2.0.1/24", "10.2.0.200/24")
    holders.append(lan_b)
    capture = Capture("tool-b")
    with Simulator(args.sim, "--cameras", "2", "--mac-prefix", "02:50:4D",
                   "--address", f"10.1.0.5/{MASK}/10.1.0.254",
                   "--address", f"192.168.0.10/{MASK}/192.168.0.1", prefix=enter_a), \
            Simulator(args.sim, "--cameras", "4", "--mac-prefix", "02:50:4E",
                      "--address", f"10.2.0.7/{MASK}/10.2.0.254",
                      "--address", f"10.2.0.7/{MASK}/10.2.0.254",
                      "--address", f"10.2.0.1/{MASK}/10.2.0.254",
                      "--address", f"10.2.0.8/{MASK}/10.9.9.9", prefix=enter_b):
        cameras = discover_json(args.cli, "--wait", "1.5")
        check(all(list(c) == RECORD_KEYS + DIAGNOSIS_KEYS for c in cameras),
              f"JSON keys: {[list(c) for c in cameras]}")
        found = {c["mac"]: diagnosis(c) for c in cameras}
        check(found == EXPECTED, f"diagnosis: {found}")

        table = run_cli(args.cli, "discover", "--wait", "1.5")
        check(table.returncode == 0, f"table: {table.returncode} {table.stderr}")
        lines = table.stdout.splitlines()
        notes_at = lines[0].index("Notes")
        notes = {line.split()[0]: line[notes_at:] for line in lines[1:-1]}
        check(notes == NOTES, f"notes: {notes}")

        for extra in ([], ["--json"]):
            listed = run_cli(args.cli, "discover", "--problems", "--wait", "1.5", *extra)
            macs = sorted(c["mac"] for c in json.loads(listed.stdout)) if extra else \
                sorted(line.split()[0] for line in listed.stdout.splitlines()[1:-1])
            check((listed.returncode, macs) == (1, sorted(EXPECTED.keys() - {A + "1"})),
                  f"--problems {extra}: {listed.returncode} {macs} {listed.stderr}")

        # A dry run finds the camera with enquiries and sends nothing else.
        capture.payloads()
        dry = run_cli(args.cli, "set-network", B + "1", "--suggest-address", *ADMIN, "--dry-run")
        check((dry.returncode, dry.stdout) ==
              (0, f"Would send to {B}1: DHCP off, IP address 10.2.0.2, subnet mask {MASK}, DNS "
                  "manual, HTTP port 80; administrator admin\n"),
              f"dry run: {dry.returncode} {dry.stdout!r} {dry.stderr!r}")
        check(setting_requests(capture) == [], "the dry run sent a setting request")

        result = run_cli(args.cli, "set-network", B + "1", "--suggest-address", *ADMIN)
        check((result.returncode, result.stdout) == (0, "Setting OK\n"),
              f"suggested address: {result.returncode} {result.stdout!r} {result.stderr!r}")
        # admin:password in Base64; no gateway field, as there is no default route on tool-b.
        sent = (b"\x02SETMAC:" + (B + "1").encode() + b"\xffIDPASS:YWRtaW46cGFzc3dvcmQ=\xff"
                b"DHCP:OFF\xffIPADR:10.2.0.2\xffMASK:255.255.255.0\xffDNSAUTO:OFF\xff"
                b"WEBPORT:80\xff\x03")
        check(setting_requests(capture) == [sent], "the request on LAN b differs")

        after = {c["mac"]: diagnosis(c) for c in discover_json(args.cli, "--wait", "1.5")}
        check(after[B + "1"] == ("10.2.0.2", "tool-b", "10.2.0.1/24", "same-subnet", []),
              f"the camera reports {after[B + '1']}")
        check(after[B + "2"][4] == [], f"the other camera still shares: {after[B + '2']}")

        usage = run_cli(args.cli, "set-network", B + "1", "--suggest-address", "--ip", "10.2.0.9",
                        "--mask", MASK, *ADMIN)
        check(usage.returncode == 2, "--suggest-address with --ip is a usage error")
        missing = run_cli(args.cli, "set-network", "02:50:4E:00:00:09", "--suggest-address",
                          *ADMIN)
        check((missing.returncode, missing.stdout) ==
              (1, "02:50:4E:00:00:09 did not answer: no address to suggest\n"),
              f"no such camera: {missing.returncode} {missing.stdout!r}")
        check(setting_requests(capture) == [], "a request went out for a camera not found")
    capture.close()
finally:
    for holder in holders:
        holder.kill()
        holder.wait()
print("LAN diagnosis on two LANs: ok")

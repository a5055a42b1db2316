#!/usr/bin/env python3
"""pelmora-cli set-network and reboot against pelmora-sim on 127.0.0.1: a fixed address and a
switch to DHCP shown by the camera's next reply, refused checks that send nothing, and a reboot
acknowledged after which the camera is silent until it is back."""

import select
import socket
import time

from harness import Simulator, check, discover_json, parse_programs, run_cli

args = parse_programs()

ADMIN = ["--user", "admin", "--password", "password"]
REBOOT_SECONDS = 3


def nothing_arrives(sock):
    readable, _, _ = select.select([sock], [], [], 0.3)
    return not readable


with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "3",
               "--reboot-seconds", str(REBOOT_SECONDS)) as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]

    def cameras():
        return {c["mac"]: c for c in discover_json(args.cli, "--wait", "0.5", *target)}

    def set_network(mac, *options, to=target):
        return run_cli(args.cli, "set-network", mac, *options, *ADMIN, *to)

    first, second, third = sorted(cameras())

    result = set_network(first, "--ip", "10.20.30.40", "--mask", "255.255.255.0", "--gateway",
                         "10.20.30.1", "--dns1", "10.20.30.2", "--dns3", "10.20.30.4",
                         "--port", "08080")
    check((result.returncode, result.stdout) == (0, "Setting OK\n"),
          f"fixed address: {result.returncode} {result.stdout!r} {result.stderr!r}")
    camera = cameras()[first]
    shown = {k: camera[k] for k in ("dhcp", "ipAddress", "subnetMask", "gateway", "dnsAuto",
                                     "dns1", "dns2", "dns3", "dns4", "webPort")}
    check(shown == {"dhcp": 0, "ipAddress": "10.20.30.40", "subnetMask": "255.255.255.0",
                    "gateway": "10.20.30.1", "dnsAuto": 0, "dns1": "10.20.30.2",
                    "dns2": "0.0.0.0", "dns3": "10.20.30.4", "dns4": "0.0.0.0",
                    "webPort": 8080}, f"the camera reports {shown}")

    # DHCP alone goes with automatic DNS and port 80, as the page's reset form does.
    result = set_network(first, "--dhcp")
    check((result.returncode, result.stdout) == (0, "Setting OK\n"),
          f"DHCP: {result.returncode} {result.stdout!r} {result.stderr!r}")
    camera = cameras()[first]
    check((camera["dhcp"], camera["dnsAuto"], camera["webPort"]) == (1, 1, 80),
          f"after DHCP the camera reports {camera}")

    # A refused check prints the page's message and sends nothing at all, not even an enquiry.
    listener = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    listener.bind(("127.0.0.1", 0))
    to_listener = ["--target", f"127.0.0.1:{listener.getsockname()[1]}"]
    refused = [
        ("mask with a gap", ["--ip", "10.0.0.1", "--mask", "255.0.255.0"], "Subnetmask Error"),
        ("loopback address", ["--ip", "127.0.0.1", "--mask", "255.0.0.0", "--port", "1"],
         "IP address Error"),
        ("gateway off the subnet", ["--ip", "10.0.0.1", "--mask", "255.255.0.0", "--gateway",
                                    "10.1.0.1"], "Gateway address Error"),
        ("port below 1024", ["--dhcp", "--port", "1023"], "HTTP port No. Error"),
    ]
    for name, options, message in refused:
        result = set_network(second, *options, to=to_listener)
        check((result.returncode, result.stdout) == (1, message + "\n"),
              f"{name}: {result.returncode} {result.stdout!r} {result.stderr!r}")
        check(nothing_arrives(listener), f"{name}: a datagram was sent")
    listener.close()

    result = set_network(second, "--ip", "10.0.0.1", "--dns-auto", "--mask", "255.0.0.0")
    check(result.returncode == 2, "a fixed address with automatic DNS is a usage error")

    result = run_cli(args.cli, "reboot", third, "--user", "admin", "--password", "wrong-one",
                     *target)
    check((result.returncode, result.stdout) == (1, "Setting NG\n"),
          f"reboot with a wrong password: {result.returncode} {result.stdout!r}")

    result = run_cli(args.cli, "reboot", third, *ADMIN, *target)
    acknowledged = time.monotonic()
    check((result.returncode, result.stdout) == (0, "Setting OK\n"),
          f"reboot: {result.returncode} {result.stdout!r} {result.stderr!r}")
    listed = cameras()
    check(time.monotonic() - acknowledged < REBOOT_SECONDS, "the check came too late")
    check(third not in listed and {first, second} <= listed.keys(),
          f"right after the reboot: {sorted(listed)}")
    time.sleep(max(0.0, acknowledged + REBOOT_SECONDS + 0.2 - time.monotonic()))
    check(third in cameras(), "the camera is not back after its reboot")
print("set-network: ok")

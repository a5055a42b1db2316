#!/usr/bin/env python3
"""Every command's MAC argument is six two-digit hex pairs. Lower case and "-" separators reach
the camera as the upper-case, colon-separated MAC it reports; anything else is a usage error
that sends nothing, in every command, so a request never waits for a camera that cannot
exist. The bandwidth value is bounded like a camera's own list entries, and set-time takes no
more cameras than there are pending slots, counted once each whatever the MAC's form."""

import sys

from harness import (SKIP, Simulator, bare_listener, check, discover_json, nothing_arrives,
                     parse_programs, run_cli, without_network)

args = parse_programs()

ADMIN = ["--user", "admin", "--password", "password"]


def commands(mac):
    return [
        ["set-bandwidth", mac, "2.0", *ADMIN],
        ["set-network", mac, "--dhcp", *ADMIN],
        ["reboot", mac, *ADMIN],
        ["set-time", mac, "--format", "ymd", "--zone", "0", "--pc"],
        ["set-pppoe", mac, "--off", *ADMIN],
    ]


with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "2") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    camera = discover_json(args.cli, "--wait", "0.5", *target)[0]
    mac = camera["mac"]
    check(mac == mac.upper() and mac.count(":") == 5, f"the simulator reports {mac!r}")
    band = camera["bandElements"][-1]

    for form in (mac.lower(), mac.replace(":", "-"), mac.lower().replace(":", "-")):
        result = run_cli(args.cli, "set-bandwidth", form, band, *ADMIN, *target)
        check((result.returncode, result.stdout) == (0, "Setting OK\n"),
              f"MAC {form}: {result.returncode} {result.stdout!r} {result.stderr!r}")
    result = run_cli(args.cli, "set-time", mac.lower(), "--format", "ymd", "--zone", "0",
                     "--pc", *target)
    check((result.returncode, result.stdout) == (0, f"{mac} OK\n"),
          f"set-time prints the MAC as cameras report it: {result.stdout!r}")

listener, to_listener = bare_listener()
refused_macs = [
    ("a camera's MAC and one more pair", mac + ":00"),
    ("five pairs", mac[:14]),
    ("empty", ""),
    ("mixed separators", mac[:5] + "-" + mac[6:]),
    ("no separators", mac.replace(":", "")),
    ("not hex", "02:50:4G:00:00:01"),
    ("one-digit and three-digit pairs", "02:50:4D:0:000:01"),
    ("a blank before", " " + mac),
    ("2,000 characters", "0" * 2000),
]
for name, bad in refused_macs:
    for command in commands(bad):
        result = run_cli(args.cli, *command, *to_listener)
        check(result.returncode == 2 and "MAC" in result.stderr,
              f"{command[0]} with MAC {name}: {result.returncode} {result.stderr!r}")
        check(nothing_arrives(listener), f"{command[0]} with MAC {name}: a datagram was sent")

refused_values = [("empty", ""), ("12 characters", "1" * 12), ("2,000 characters", "9" * 2000)]
for name, value in refused_values:
    result = run_cli(args.cli, "set-bandwidth", mac, value, *ADMIN, *to_listener)
    check(result.returncode == 2 and "VALUE" in result.stderr,
          f"bandwidth value {name}: {result.returncode} {result.stderr!r}")
    check(nothing_arrives(listener), f"bandwidth value {name}: a datagram was sent")

# One camera more than there are pending slots is refused before anything is sent.
many = [f"02:50:4D:00:{i >> 8:02X}:{i & 0xFF:02X}" for i in range(1025)]
result = run_cli(args.cli, "set-time", *many, "--format", "ymd", "--zone", "0", "--pc",
                 *to_listener)
check(result.returncode == 2 and "1024" in result.stderr,
      f"1025 cameras: {result.returncode} {result.stderr!r}")
check(nothing_arrives(listener), "1025 cameras: a datagram was sent")
listener.close()

# 1025 arguments naming 1024 cameras (one in two forms) are taken. Where nothing can be sent
# every request is reported at once, one line per camera.
prefix = without_network()
if prefix is None:
    print("skipped the 1024 cameras without a network: no namespace can be made")
    sys.exit(SKIP)
named = many[:1024] + [many[7].lower().replace(":", "-")]
result = run_cli(args.cli, "set-time", *named, "--format", "ymd", "--zone", "0", "--pc",
                 "--target", "127.0.0.1:9", prefix=prefix)
check((result.returncode, result.stdout) == (1, "".join(f"{m} Not Sent\n" for m in many[:1024])),
      f"1024 cameras: {result.returncode} {result.stdout[-200:]!r} {result.stderr[-200:]!r}")
print("MAC arguments: ok")

#!/usr/bin/env python3
"""--dry-run on every setting command: the request in words, no password, nothing sent, exit 0;
a refused check still refuses."""

from harness import bare_listener, check, nothing_arrives, parse_programs, run_cli

args = parse_programs()

MAC = "02:50:4D:00:00:01"
PASSWORD = "hunter2-secret"
ADMIN = ["--user", "admin", "--password", PASSWORD]
listener, target = bare_listener()

cases = [
    ("set-network", ["set-network", MAC, "--ip", "10.1.0.4", "--mask", "255.255.255.0",
                     "--gateway", "10.1.0.254", "--dns1", "10.1.0.254", *ADMIN],
     "DHCP off, IP address 10.1.0.4, subnet mask 255.255.255.0, gateway 10.1.0.254, DNS manual, "
     "DNS server 1 10.1.0.254, HTTP port 80; administrator admin"),
    ("reboot", ["reboot", MAC, *ADMIN], "reboot; administrator admin"),
    ("set-bandwidth", ["set-bandwidth", MAC, "2.0", *ADMIN],
     "bandwidth limit 2.0; administrator admin"),
    ("set-pppoe", ["set-pppoe", MAC, *ADMIN, "--on", "--pppoe-user", "isp-user",
                   "--pppoe-password", PASSWORD],
     "PPPoE on, PPPoE user ID isp-user, PPPoE DNS automatic; administrator admin"),
    ("set-time", ["set-time", MAC, "--format", "dmy", "--zone", "9", "--at",
                  "2026-12-08 09:30:00"],
     "clock 2026-12-08 09:30:00, time zone GMT+9, date format dmy"),
]
for name, command, words in cases:
    result = run_cli(args.cli, *command, *target, "--dry-run")
    check((result.returncode, result.stdout) == (0, f"Would send to {MAC}: {words}\n"),
          f"{name}: {result.returncode} {result.stdout!r} {result.stderr!r}")
    check(PASSWORD not in result.stdout + result.stderr, f"{name}: the password was shown")
    check(nothing_arrives(listener), f"{name}: a datagram was sent")

refused = run_cli(args.cli, "set-network", MAC, "--ip", "10.0.0.1", "--mask", "255.0.255.0",
                  *ADMIN, *target, "--dry-run")
check((refused.returncode, refused.stdout) == (1, "Subnetmask Error\n"),
      f"a refused check: {refused.returncode} {refused.stdout!r}")
check(nothing_arrives(listener), "a refused dry run sent a datagram")
listener.close()
print("dry run: ok")

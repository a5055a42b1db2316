#!/usr/bin/env python3
"""A --target that names no IPv4 host is a usage error that sends nothing. An empty one above
all must not fall back to the broadcast, which would carry a setting command's credentials to
every camera on the LAN. Runs in a private namespace, where a bare socket on the setup port
hears every broadcast."""

import socket

from harness import check, nothing_arrives, parse_programs, run_cli

args = parse_programs(broadcasts=True)

ADMIN = ["--user", "admin", "--password", "password"]
COMMANDS = [
    ["discover", "--wait", "0.2"],
    ["set-bandwidth", "02:50:4D:00:00:01", "2.0", *ADMIN],
]
REFUSED = [
    ("empty", "", "missing host"),
    ("blank", " \t", "missing host"),
    ("port only", ":2380", "missing host"),
    ("IPv6 loopback", "::1", "IPv6 is not supported"),
    ("IPv6 in brackets", "[::1]", "IPv6 is not supported"),
    ("IPv6 in brackets with a port", "[::1]:2380", "IPv6 is not supported"),
]

setup_port = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
setup_port.bind(("", 2380))

for name, text, message in REFUSED:
    for command in COMMANDS:
        result = run_cli(args.cli, *command, "--target", text, timeout=30)
        check((result.returncode, result.stdout) == (2, ""),
              f"{command[0]} --target {name}: {result.returncode} {result.stdout!r}")
        check(f"--target: {message}" in result.stderr,
              f"{command[0]} --target {name}: {result.stderr!r}")
        check(nothing_arrives(setup_port), f"{command[0]} --target {name}: a datagram was sent")

# The listener does hear what is broadcast.
result = run_cli(args.cli, "discover", "--wait", "0.2")
check(result.returncode == 0, f"discover by broadcast: {result.returncode} {result.stderr!r}")
check(b"ENQ:allinfo" in setup_port.recv(2048), "the broadcast enquiry was not heard")
print("--target refusals: ok")

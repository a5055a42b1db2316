#!/usr/bin/env python3
"""Text arguments go to the camera as the 8-bit (Latin-1) bytes the window sends for the same
characters, whatever the locale's encoding; lengths count characters; a character past U+00FF
is refused. The simulator reads its own text arguments the same way: its administrator password
holds Latin-1 bytes, as a password set from the window does, so only the right bytes are
accepted, and its refusal message goes on the wire in Latin-1."""

import socket
import subprocess

from harness import Simulator, check, discover_json, parse_programs, run_cli

args = parse_programs()

PASSWORD = "pässwörd"
UTF8 = {"LC_ALL": "C.UTF-8"}
# The "C" locale names no encoding beyond ASCII: its arguments are read as UTF-8.
PLAIN_C = {"LC_ALL": "C"}

with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4",
               "--password", PASSWORD) as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    cameras = discover_json(args.cli, "--wait", "0.5", *target)
    camera = cameras[0]
    pppoe = next(c["mac"] for c in cameras if c["pppoeReported"])

    def bandwidth(*credentials):
        return ["set-bandwidth", camera["mac"], camera["bandElements"][-1], *credentials]

    def pppoe_on(user):
        return ["set-pppoe", pppoe, "--on", "--user", "admin", "--password", PASSWORD,
                "--pppoe-user", user, "--pppoe-password", "secret"]

    cases = [
        ("Latin-1 password typed in UTF-8", UTF8,
         bandwidth("--user", "admin", "--password", PASSWORD), 0, "Setting OK\n", ""),
        ("the same in the C locale", PLAIN_C,
         bandwidth("--user", "admin", "--password", PASSWORD), 0, "Setting OK\n", ""),
        ("16 two-byte characters are 16 characters", UTF8,
         bandwidth("--user", "admin", "--password", "ä" * 16), 1, "Setting NG\n", ""),
        ("3 characters in 6 bytes are too short", UTF8,
         bandwidth("--user", "äöü", "--password", PASSWORD), 2, "", "4 to 16 characters"),
        ("a character past U+00FF", UTF8,
         bandwidth("--user", "admin", "--password", PASSWORD + "€"), 2, "",
         "outside 8-bit text"),
        ("bytes that are not UTF-8", UTF8,
         bandwidth("--user", "admin", "--password", PASSWORD.encode("latin-1")), 2, "",
         "not UTF-8"),
        ("ÿ is the framing byte 0xFF", UTF8,
         bandwidth("--user", "admin", "--password", "passwordÿ"), 2, "", "control bytes"),
        ("a 64-character PPPoE user ID in 128 bytes", UTF8, pppoe_on("ü" * 64), 0,
         "Setting OK\n", ""),
        ("a 65-character PPPoE user ID", UTF8, pppoe_on("ü" * 65), 2, "", "at most 64"),
        ("a PPPoE user ID past U+00FF", UTF8, pppoe_on("user€"), 2, "", "outside 8-bit text"),
    ]
    for name, env, command, code, stdout, stderr in cases:
        result = run_cli(args.cli, *command, *target, env=env)
        check((result.returncode, result.stdout) == (code, stdout) and stderr in result.stderr,
              f"{name}: {result.returncode} {result.stdout!r} {result.stderr!r}")

# The refusal's text on the wire, byte for byte; text no camera can hold is refused at start.
MAC = "02:50:4D:00:00:01"
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "1",
               "--refusing-cameras", "1", "--refuse-message", "Réglage refusé") as sim:
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as tool:
        tool.settimeout(5)
        tool.sendto(b"\x02SETMAC:" + MAC.encode() + b"\xffSETBAND:1.0\xff\x03",
                    ("127.0.0.1", sim.port))
        answer = tool.recv(2048)
    check(answer == b"\x02NAK:" + MAC.encode() + b"\xffR\xe9glage refus\xe9\xff\x03",
          f"the refusal on the wire: {answer!r}")
for text, reason in [("Réglage €", "outside 8-bit text"), ("plein ÿ", "0xFF")]:
    refused = subprocess.run([args.sim, "--bind", "127.0.0.1", "--refuse-message", text],
                             capture_output=True, text=True, timeout=10)
    check(refused.returncode == 2 and reason in refused.stderr,
          f"--refuse-message {text!r}: {refused.returncode} {refused.stderr!r}")
print("text encoding: ok")

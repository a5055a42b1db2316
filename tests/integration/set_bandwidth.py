#!/usr/bin/env python3
"""pelmora-cli set-bandwidth against pelmora-sim on 127.0.0.1: one line of outcome, exit 0 only
on an acknowledgement, and the new limit in the camera's next reply."""


from harness import Simulator, check, discover_json, parse_programs, run_cli

args = parse_programs()

ADMIN = ["--user", "admin", "--password", "password"]

# Camera 1 never answers settings; camera 4 refuses every setting with a message text.
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4",
               "--silent-settings", "1", "--refusing-cameras", "1",
               "--refuse-message", "Busy: try later") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    cameras = discover_json(args.cli, "--wait", "0.5", *target)
    silent, normal, _, refusing = (c["mac"] for c in cameras)
    choice = next(b for b in cameras[1]["bandElements"] if b != cameras[1]["currentBand"])

    def set_band(mac, value, *extra):
        return run_cli(args.cli, "set-bandwidth", mac, value, *extra, *target)

    result = set_band(normal, choice, *ADMIN)
    check((result.returncode, result.stdout) == (0, "Setting OK\n"),
          f"accepted: {result.returncode} {result.stdout!r} {result.stderr!r}")
    after = {c["mac"]: c for c in discover_json(args.cli, "--wait", "0.5", *target)}
    check(after[normal]["currentBand"] == choice, "the camera does not report the new limit")

    result = set_band(normal, "unlimited", *ADMIN)
    check(result.returncode == 0, "unlimited is sent as 0.0 and accepted")

    result = set_band(normal, choice, "--user", "admin", "--password", "wrong-one")
    check((result.returncode, result.stdout) == (1, "Busy: try later\n"),
          f"refused with the camera's text: {result.returncode} {result.stdout!r}")

    result = set_band(refusing, choice, *ADMIN)
    check((result.returncode, result.stdout) == (1, "Busy: try later\n"),
          "a refusing camera's own message is printed")

    result = set_band(silent, choice, *ADMIN)
    check((result.returncode, result.stdout) == (1, "No Response\n"),
          f"silent camera: {result.returncode} {result.stdout!r}")

    result = set_band(normal, choice, "--user", "adm", "--password", "password")
    check(result.returncode == 2, "a 3-character name is a usage error")
print("set-bandwidth: ok")

#!/usr/bin/env python3
"""pelmora-cli set-time against pelmora-sim on 127.0.0.1: one line per camera, exit 0 only when
every camera accepted, and the new clock, zone and format in the cameras' next replies."""

from datetime import datetime

from harness import Simulator, check, discover_json, parse_programs, run_cli

args = parse_programs()

# Camera 1 never answers settings; camera 4 refuses every setting.
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4",
               "--silent-settings", "1", "--refusing-cameras", "1") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    cameras = discover_json(args.cli, "--wait", "0.5", *target)
    silent, first, second, refusing = (c["mac"] for c in cameras)

    def set_time(*macs_and_options):
        return run_cli(args.cli, "set-time", *macs_and_options, *target)

    at = "2005-03-05 09:07:00"
    result = set_time(first, second, "--format", "dmy", "--zone", "-5", "--at", at)
    check((result.returncode, result.stdout) == (0, f"{first} OK\n{second} OK\n"),
          f"both accepted: {result.returncode} {result.stdout!r} {result.stderr!r}")
    after = {c["mac"]: c for c in discover_json(args.cli, "--wait", "0.5", *target)}
    for mac in (first, second):
        clock = datetime.strptime(after[mac]["clock"], "%Y-%m-%d %H:%M:%S")
        drift = (clock - datetime.strptime(at, "%Y-%m-%d %H:%M:%S")).total_seconds()
        check(0 <= drift <= 5, f"{mac} reports the clock {after[mac]['clock']}")
        check((after[mac]["timeZone"], after[mac]["dateTimeFormat"]) == ("-5", "dmy"),
              f"{mac} reports zone and format {after[mac]['timeZone']!r} "
              f"{after[mac]['dateTimeFormat']!r}")

    result = set_time(first, "--format", "ymd", "--zone", "0", "--at", "2005-02-29 00:00:00")
    check((result.returncode, result.stdout) == (1, "Manual Current Date Setting Error\n"),
          f"a day that does not exist: {result.returncode} {result.stdout!r}")

    result = set_time(first, "--format", "ymd", "--zone", "14", "--pc")
    check((result.returncode, result.stdout) == (1, "Time Zone Setting Error\n"),
          f"a zone past +13: {result.returncode} {result.stdout!r}")

    result = set_time(silent, first, refusing, "--format", "ymd", "--zone", "9", "--pc")
    check((result.returncode, result.stdout) ==
          (1, f"{silent} No Response\n{first} OK\n{refusing} NG\n"),
          f"silent and refusing cameras: {result.returncode} {result.stdout!r}")
print("set-time: ok")

#!/usr/bin/env python3
"""The PC's link fails under a running window and a running `discover`: the interface goes
down (each says so once, neither crashes nor spins), comes back with a new address (discovery
resumes on the next enquiry, no restart) and a second interface appears (used from the next
enquiry). The tool's namespace reaches camera LANs through veth pairs and has no default
route, so while the link is down every send fails."""

import json
import os
import subprocess
import tempfile
import time

from harness import Capture, Simulator, camera_lan, check, parse_programs, sh

ENQUIRY = b"\x02ENQ:allinfo\xff\x03"

args = parse_programs(broadcasts=True, window=True)


def enquirers(capture, deadline, done):
    """The source ports of the enquiries seen on `capture`, gathered until `done(ports)` holds
    or the deadline passes."""
    seen = set()
    while time.monotonic() < deadline and not done(seen):
        seen.update(port for port, payload in capture.datagrams() if payload == ENQUIRY)
    return seen


def processor_seconds(process):
    """Waits for `process` and returns its exit status and the processor time it used."""
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    return process.returncode, usage.ru_utime + usage.ru_stime


subprocess.run(["ip", "route", "del", "default"], check=False)
holders = []
programs = []
config = tempfile.TemporaryDirectory()
try:
    lan_a, enter_a = camera_lan("a", "10.77.1.1/24", "10.77.1.2/24")
    holders.append(lan_a)
    capture_a = Capture("tool-a")
    with Simulator(args.sim, "--cameras", "2", prefix=enter_a):
        # The window first (slow to start on a busy machine), then discover: the two are the
        # only enquirers here, each known by its source port.
        window = subprocess.Popen([args.window], stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True,
                                  env={**os.environ, "QT_QPA_PLATFORM": "offscreen",
                                       "XDG_CONFIG_HOME": config.name})
        programs.append(window)
        ports = enquirers(capture_a, time.monotonic() + 40, lambda seen: len(seen) >= 1)
        cli = subprocess.Popen([args.cli, "discover", "--json", "--wait", "30"],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        programs.append(cli)
        ports |= enquirers(capture_a, time.monotonic() + 10, lambda seen: len(ports | seen) >= 2)
        check(len(ports) == 2 and cli.poll() is None and window.poll() is None,
              f"not both running and enquiring on tool-a: ports {ports}, exit statuses "
              f"{cli.poll()}, {window.poll()}")

        # Down for a whole enquiry period: each program's enquiries fail meanwhile.
        sh("ip", "link", "set", "tool-a", "down")
        time.sleep(5.5)
        check(cli.poll() is None and window.poll() is None, "a program ended with the link")

        # Back with a new address (the camera's LAN renumbered too), and a second LAN plugged in.
        sh("ip", "addr", "flush", "dev", "tool-a")
        sh("ip", "addr", "add", "10.77.3.1/24", "dev", "tool-a")
        sh(*enter_a, "ip", "addr", "flush", "dev", "cam-a")
        sh(*enter_a, "ip", "addr", "add", "10.77.3.2/24", "dev", "cam-a")
        capture_a.datagrams()
        sh("ip", "link", "set", "tool-a", "up")
        lan_b, enter_b = camera_lan("b", "10.77.2.1/24", "10.77.2.2/24")
        holders.append(lan_b)
        capture_b = Capture("tool-b")
        with Simulator(args.sim, "--cameras", "3", "--mac-prefix", "02:50:4E", prefix=enter_b):
            deadline = time.monotonic() + 12
            resumed = enquirers(capture_a, deadline, lambda seen: seen >= ports)
            added = enquirers(capture_b, deadline, lambda seen: seen >= ports)
            check(resumed >= ports, f"discovery did not resume on tool-a: {resumed} of {ports}")
            check(added >= ports, f"the new interface was not used: {added} of {ports}")

            status, cli_cpu = processor_seconds(cli)
            out, err = cli.stdout.read(), cli.stderr.read()
            window.terminate()
            window_status, window_cpu = processor_seconds(window)
            window_out = window.stdout.read()
    capture_a.close()
    capture_b.close()
finally:
    # Nothing outlives a failed check: the window would keep this namespace alive.
    for process in programs + holders:
        if process.poll() is None:
            process.kill()
            process.wait()
    config.cleanup()

check(status == 0, f"discover failed ({status}): {err}")
cameras = json.loads(out)
by_lan = {prefix: [c for c in cameras if c["mac"].startswith(prefix)]
          for prefix in ("02:50:4D", "02:50:4E")}
check(len(by_lan["02:50:4D"]) == 2 and len(by_lan["02:50:4E"]) == 3, f"cameras: {cameras}")
check(all(c["interfaceAddress"].startswith("10.77.3.1") for c in by_lan["02:50:4D"]),
      f"LAN a's cameras were not heard again on the new address: {by_lan['02:50:4D']}")

# One line for the failure; a second enquiry failing within 10 s only adds a count to it.
for name, text in (("discover", err), ("the window", window_out)):
    lines = text.splitlines()
    check(lines[:1] == ["Warning: sendto"], f"{name} did not report the failed send: {lines}")
    check(all(line.startswith("Warning: sendto (") for line in lines[1:]) and len(lines) <= 2,
          f"{name} wrote more than a line and its count: {lines}")
check(window_status == 0, f"the window did not end in order on SIGTERM: {window_status}")
# About 35 s of wall time each: a loop that spun would use most of it.
check(cli_cpu < 3 and window_cpu < 6, f"processor time: discover {cli_cpu} s, window {window_cpu} s")
print(f"link down, back with a new address, a new interface: ok (processor time: discover "
      f"{cli_cpu:.2f} s, the window {window_cpu:.2f} s)")

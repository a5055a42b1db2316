#!/usr/bin/env python3
"""A mixed plan applied and verified: N/2 of our simulated cameras and N/2 simulated ONVIF cameras
on a camera LAN of our own namespaces, each ONVIF camera moving onto the address one of ours
leaves (so the two kinds alternate in the sending order), each away for SILENCE ms after its
move. Reports apply-plan's wall time, the rows verified, and the requests each ONVIF camera was
sent (HTTP requests and directed probes seen on the wire, so nothing the tool says of itself).
Run by bench/run-plan-mix-bench.sh inside a namespace.

    plan_mix_bench.py SIM CLI [CAMERAS] [SILENCE_MS]"""

import os
import socket
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "integration"))
from harness import Simulator, camera_lan, sh  # noqa: E402

sim_binary, cli = sys.argv[1], sys.argv[2]
count = int(sys.argv[3]) if len(sys.argv) > 3 else 64
silence = sys.argv[4] if len(sys.argv) > 4 else "500"
half = count // 2
PC, SIM = "10.83.0.1", "10.83.0.2"


def at(block, k):
    return f"10.83.{block}.{k + 1}"


class Wire:
    """Counts, on this PC's end of the veth pair, the HTTP requests and discovery probes sent."""

    def __init__(self, interface):
        self.sock = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(0x0003))
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 32 << 20)
        self.sock.bind((interface, 0))
        self.sock.settimeout(0.1)
        self.posts = self.probes = 0
        self.running = True
        self.thread = threading.Thread(target=self._take)
        self.thread.start()

    def _take(self):
        while self.running:
            try:
                frame, address = self.sock.recvfrom(65535)
            except socket.timeout:
                continue
            if address[2] != socket.PACKET_OUTGOING or frame[12:14] != b"\x08\x00":
                continue
            ip = frame[14:]
            payload = ip[(ip[0] & 0x0F) * 4:]
            if ip[9] == 6:
                payload = payload[(payload[12] >> 4) * 4:]
                self.posts += payload.startswith(b"POST ")
            elif ip[9] == 17 and b"Probe" in payload[8:]:
                self.probes += 1

    def stop(self):
        self.running = False
        self.thread.join()


subprocess.run(["ip", "route", "del", "default"], check=False)
holder, enter = camera_lan("planbench", f"{PC}/16", f"{SIM}/16")
work = tempfile.mkdtemp()
env = {**os.environ, "PELMORA_STATE_DIR": work, "PELMORA_PASSWORD": "password"}
try:
    for block in (1, 2):
        for k in range(half):
            sh(*enter, "ip", "addr", "add", f"{at(block, k)}/16", "dev", "cam-planbench")
    options = ["--bind", "0.0.0.0", "--port", "0", "--cameras", str(half), "--onvif", str(half),
               "--onvif-move-silence-ms", silence]
    for k in range(half):
        options += ["--address", f"{at(2, k)}/255.255.0.0"]
    for k in range(half):
        options += ["--onvif-address", f"{at(1, k)}/255.255.0.0"]
    with Simulator(sim_binary, *options, prefix=enter) as sim:
        plan = os.path.join(work, "plan.csv")
        with open(plan, "w", encoding="utf-8") as rows:
            rows.write("mac,ipAddress,subnetMask\n")
            for k in range(half):
                rows.write(f"02:4F:4E:00:00:{k + 1:02X},{at(2, k)},255.255.0.0\n")
            for k in range(half):
                rows.write(f"02:50:4D:00:00:{k + 1:02X},{at(4, k)},255.255.0.0\n")
        # What finding and reading them costs alone, to tell it from what applying adds.
        wire = Wire("tool-planbench")
        subprocess.run([cli, "apply-plan", plan, "--onvif", "--user", "admin", "--target",
                        f"{SIM}:{sim.port}", "--dry-run"], capture_output=True, env=env,
                       timeout=300)
        wire.stop()
        reading = wire.posts
        wire = Wire("tool-planbench")
        start = time.monotonic()
        applied = subprocess.run(
            [cli, "apply-plan", plan, "--onvif", "--user", "admin", "--target",
             f"{SIM}:{sim.port}", "--verify-timeout", "30"],
            capture_output=True, text=True, env=env, timeout=900)
        wall = time.monotonic() - start
        wire.stop()
    verified = applied.stdout.count(" verified\n")
    print(f"cameras {count} ({half} ours, {half} ONVIF), silence {silence} ms: "
          f"{verified} of {count} verified, exit {applied.returncode}, {wall:.1f} s "
          f"(3 s of it listening before the check)")
    print(f"HTTP requests per ONVIF camera: {(wire.posts - reading) / half:.1f} to apply and "
          f"verify, {reading / half:.1f} to find and read; discovery probes sent {wire.probes}")
    if verified != count:
        print(applied.stdout + applied.stderr)
finally:
    holder.kill()
    holder.wait()

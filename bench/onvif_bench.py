#!/usr/bin/env python3
"""256 simulated ONVIF cameras on a camera LAN of our own namespaces, found and fully read by
`pelmora-cli discover --onvif --user admin --json`. The CLI lists only once all are read, so the
moments in between are taken from the wire: every frame on this PC's end of the veth pair is
captured with its kernel time stamp. Run by bench/run-onvif-bench.sh inside a namespace.

    onvif_bench.py SIM CLI [CAMERAS]"""

import json
import os
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "integration"))
from harness import Simulator, camera_lan  # noqa: E402

PC, CAMERAS = "10.82.0.1", "10.82.0.2"
SO_TIMESTAMPNS = getattr(socket, "SO_TIMESTAMPNS", 35)


class Wire:
    """Frames on `interface` as (seconds, outgoing, protocol, client port, payload), taken on a
    thread of their own until stopped."""

    def __init__(self, interface):
        self.sock = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(0x0003))
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 32 << 20)
        self.sock.setsockopt(socket.SOL_SOCKET, SO_TIMESTAMPNS, 1)
        self.sock.bind((interface, 0))
        self.sock.settimeout(0.1)
        self.frames, self.running = [], True
        self.thread = threading.Thread(target=self._take)
        self.thread.start()

    def _take(self):
        while self.running:
            try:
                frame, ancillary, _, _ = self.sock.recvmsg(65535, 64)
            except socket.timeout:
                continue
            stamp = time.time()
            for level, kind, data in ancillary:
                if level == socket.SOL_SOCKET and kind == SO_TIMESTAMPNS:
                    seconds, nanoseconds = struct.unpack("qq", data[:16])
                    stamp = seconds + nanoseconds / 1e9
            self._keep(stamp, frame)

    def _keep(self, stamp, frame):
        ip = frame[14:]
        if frame[12:14] != b"\x08\x00" or len(ip) < 20 or ip[9] not in (6, 17):
            return
        outgoing = socket.inet_ntoa(ip[12:16]) == PC
        transport = ip[(ip[0] & 0x0F) * 4:]
        source, destination = struct.unpack("!HH", transport[:4])
        if ip[9] == 17:
            payload = transport[8:]
        else:
            flags = transport[13]
            payload = transport[(transport[12] >> 4) * 4:]
            if flags & 0x02 and outgoing:
                payload = b"SYN"
        client = source if outgoing else destination
        self.frames.append((stamp, outgoing, ip[9], client, destination, bytes(payload[:64])))

    def stop(self):
        time.sleep(0.2)
        self.running = False
        self.thread.join()
        self.sock.close()
        return self.frames


def figures(frames, started):
    """The moments that matter, in seconds after the CLI started, and the peak of requests
    waiting for their answer (a request from its first data until the first answering data)."""
    probe = next(t for t, out, p, _, dst, _ in frames if out and p == 17 and dst == 3702)
    matches = [t for t, out, p, _, _, data in frames if not out and p == 17 and b"Envelope" in data]
    tcp = [(t, out, client, data) for t, out, p, client, _, data in frames if p == 6]
    first_request = next(t for t, out, _, data in tcp if out and data == b"SYN")
    last_answer = max(t for t, out, _, data in tcp if not out and data)
    waiting, peak, requests = set(), 0, 0
    for _, out, client, data in tcp:
        if not data or data == b"SYN":
            continue
        if out and client not in waiting:
            waiting.add(client)
            requests += 1
            peak = max(peak, len(waiting))
        elif not out:
            waiting.discard(client)
    return {"probe": probe - started, "first_match": min(matches) - started,
            "matches": len(matches), "first_request": first_request - started,
            "last_answer": last_answer - started, "requests": requests, "peak": peak}


def udp_receive_buffer_errors():
    """Datagrams this namespace dropped because a socket's receive buffer was full."""
    lines = [line.split() for line in open("/proc/net/snmp") if line.startswith("Udp:")]
    return int(lines[1][lines[0].index("RcvbufErrors")])


def main():
    sim, cli = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 256
    subprocess.run(["ip", "route", "del", "default"], check=False)
    holder, enter = camera_lan("onvb", f"{PC}/24", f"{CAMERAS}/24")
    try:
        with Simulator(sim, "--bind", CAMERAS, "--port", "0", "--cameras", "0", "--onvif",
                       str(count), prefix=enter), tempfile.TemporaryDirectory() as work:
            wire = Wire("tool-onvb")
            usage = os.path.join(work, "time")
            dropped = udp_receive_buffer_errors()
            started = time.time()
            result = subprocess.run(
                ["/usr/bin/time", "-v", "-o", usage, cli, "discover", "--onvif", "--user",
                 "admin", "--json"], capture_output=True, text=True, timeout=120,
                env={**os.environ, "PELMORA_PASSWORD": "password"})
            ended = time.time()
            frames = wire.stop()
            dropped = udp_receive_buffer_errors() - dropped
            rss = next(int(line.split(":")[1]) for line in open(usage)
                       if "Maximum resident set size" in line)
    finally:
        holder.kill()
        holder.wait()
    if result.returncode != 0:
        sys.exit(f"discover failed ({result.returncode}): {result.stderr}")
    cameras = json.loads(result.stdout)
    read = sum(1 for c in cameras if c.get("access") == "read")
    wire = figures(frames, started)
    print(f"onvif {count} cameras: listed {len(cameras)}, read {read}")
    print(f"onvif first ProbeMatch on the wire: {wire['first_match'] * 1000:.0f} ms after start "
          f"({wire['first_match'] - wire['probe']:.3f} s after the probe; "
          f"{wire['matches']} answers; {dropped} datagrams dropped at a full receive buffer)")
    print(f"onvif reading: first request at {wire['first_request']:.2f} s, last answer at "
          f"{wire['last_answer']:.2f} s ({wire['last_answer'] - wire['first_request']:.2f} s "
          f"for {wire['requests']} requests)")
    print(f"onvif all read and listed (command wall time): {ended - started:.2f} s")
    print(f"onvif peak requests in flight: {wire['peak']}")
    print(f"onvif CLI peak RSS: {rss} KiB")
    if result.stderr.strip():
        print("stderr:", result.stderr.strip()[:500])


main()

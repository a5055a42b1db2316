#!/usr/bin/env python3
"""A WS-Discovery responder we did not write and that is no camera, Debian's wsdd announcing a
Windows-style PC, shares a camera LAN of our own namespaces with two simulated ONVIF cameras:
discover --onvif lists the two cameras and never the PC, neither from the probe it answers
nor from the Hello it multicasts while discover listens. Skipped where wsdd is not installed."""

import json
import os
import select
import shutil
import socket
import subprocess
import sys
import time
import uuid

from harness import SKIP, Capture, Simulator, camera_lan, check, parse_programs

PC, CAMERAS = "10.81.0.1", "10.81.0.2"
GROUP, PORT = "239.255.255.250", 3702
# Fixed identities, so what reaches this PC can be told apart from the cameras' answers.
WSDD_HOST = "5c7e0000-0000-4000-8000-000000000001"
WSDD_LATE = "5c7e0000-0000-4000-8000-000000000002"

# A daemon: installed to sbin, which an ordinary user's PATH may lack.
WSDD = shutil.which("wsdd", path=os.environ.get("PATH", "") + ":/usr/sbin")
if WSDD is None:
    print("skipped: wsdd is not installed (scripts/install-deps.sh installs it)")
    sys.exit(SKIP)
args = parse_programs(broadcasts=True)
subprocess.run(["ip", "route", "del", "default"], check=False)
holder, enter = camera_lan("wsdd", f"{PC}/24", f"{CAMERAS}/24")


def start_wsdd(name, endpoint, *options):
    # -v -v logs every probe it receives with its content, and why it ignored one.
    return subprocess.Popen(enter + [WSDD, "--interface", "cam-wsdd", "--ipv4only", "-v", "-v",
                                     "--hostname", name, "--uuid", endpoint, *options],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


def stop(process):
    if process.poll() is None:
        process.terminate()
    return process.communicate(timeout=10)[0] or ""


def device_probe_answer():
    """What answers a probe for any Windows-style device, sent as a PC's own search does."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind((PC, 0))
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(PC))
    probe = (
        '<?xml version="1.0" encoding="utf-8"?><soap:Envelope '
        'xmlns:soap="http://www.w3.org/2003/05/soap-envelope" '
        'xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" '
        'xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery" '
        'xmlns:wsdp="http://schemas.xmlsoap.org/ws/2006/02/devprof"><soap:Header>'
        '<wsa:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</wsa:To>'
        '<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</wsa:Action>'
        f'<wsa:MessageID>urn:uuid:{uuid.uuid4()}</wsa:MessageID></soap:Header><soap:Body>'
        '<wsd:Probe><wsd:Types>wsdp:Device</wsd:Types></wsd:Probe></soap:Body></soap:Envelope>')
    answers = []
    with sock:
        # wsdd may still be joining the group: asked again until it answers.
        for _ in range(10):
            sock.sendto(probe.encode(), (GROUP, PORT))
            deadline = time.monotonic() + 0.5
            while (left := deadline - time.monotonic()) > 0 and select.select([sock], [], [],
                                                                                left)[0]:
                answers.append(sock.recv(65535).decode(errors="replace"))
            if answers:
                break
    return answers


host = late = None
try:
    with Simulator(args.sim, "--bind", CAMERAS, "--port", "0", "--cameras", "0", "--onvif", "2",
                   prefix=enter):
        host = start_wsdd("NOTACAMERA", WSDD_HOST)
        answers = device_probe_answer()
        check(any(WSDD_HOST in a and "ProbeMatches" in a for a in answers),
              f"wsdd did not answer a probe on the camera LAN: {answers}")

        capture = Capture("tool-wsdd", PORT)
        capture.payloads()
        discover = subprocess.Popen([args.cli, "discover", "--json", "--onvif", "--wait", "2"],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        # A second PC comes up while discover listens: its Hello arrives unasked.
        time.sleep(0.5)
        late = start_wsdd("ALSONOTACAMERA", WSDD_LATE, "--no-http")
        out, err = discover.communicate(timeout=60)
        heard = capture.payloads()
        capture.close()
        check(discover.returncode == 0, f"discover failed: {err}")
        check(any(WSDD_LATE.encode() in p and b"/discovery/Hello" in p for p in heard),
              "the late PC's Hello never reached this PC while discover ran")
        listed = json.loads(out)
        check(sorted(str(c.get("name")) for c in listed) == ["ONVIF Sim 1", "ONVIF Sim 2"] and
              all(c["protocol"] == "onvif" and c["serviceAddress"].startswith(f"http://{CAMERAS}:")
                  for c in listed), f"listed: {listed}")
        check(not any(WSDD_HOST in json.dumps(c) or WSDD_LATE in json.dumps(c) for c in listed),
              f"a PC listed: {listed}")
        log, host = stop(host), None
        check("unknown discovery type (dn:NetworkVideoTransmitter)" in log,
              f"discover's probe never reached wsdd:\n{log[-3000:]}")
finally:
    for process in (host, late):
        if process is not None:
            stop(process)
    holder.kill()
    holder.wait()
print("discover --onvif beside a WS-Discovery responder that is no camera: ok")

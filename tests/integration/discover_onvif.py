#!/usr/bin/env python3
"""discover --onvif in a private namespace against a WS-Discovery responder written here: a camera
answering the probe (twice, as devices do), a PC's responder that must never be listed, and a
camera announcing itself with Hello. No device service answers, so both cameras are listed as
unreachable, with exactly the keys of their kind, in JSON, CSV and the table."""

import json
import socket
import struct
import subprocess
import threading

from harness import check, parse_programs, run_cli

args = parse_programs(broadcasts=True)
PC, GROUP, PORT = "10.79.0.1", "239.255.255.250", 3702


def message(kind, uuid, types):
    body = (f'<d:{kind}><a:EndpointReference><a:Address>urn:uuid:{uuid}</a:Address>'
            f'</a:EndpointReference><d:Types>{types}</d:Types><d:Scopes>'
            f'onvif://www.onvif.org/name/Gate%20{uuid[-1]}</d:Scopes><d:XAddrs>'
            f'http://127.0.0.1:1/onvif/device_service</d:XAddrs></d:{kind}>')
    body = f"<d:ProbeMatches>{body}</d:ProbeMatches>" if kind == "ProbeMatch" else body
    return (f'<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" '
            f'xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing" '
            f'xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery" '
            f'xmlns:dn="http://www.onvif.org/ver10/network/wsdl" xmlns:pc="http://example.org/pc">'
            f'<s:Body>{body}</s:Body></s:Envelope>').encode()


def serve(sock):
    while True:
        data, peer = sock.recvfrom(65536)
        if b"/Probe</" in data:
            for uuid, types in (("a", "dn:NetworkVideoTransmitter"), ("f", "pc:Computer")):
                for _ in range(2):
                    sock.sendto(message("ProbeMatch", "00000000-0000-0000-0000-00000000000" + uuid,
                                        types), peer)
            sock.sendto(message("Hello", "00000000-0000-0000-0000-00000000000c",
                                "dn:NetworkVideoTransmitter"), (GROUP, PORT))


for command in ("link add onvif0 type veth peer name onvif1", "link set onvif1 up",
                "link set onvif0 up", f"addr add {PC}/24 dev onvif0"):
    subprocess.run(["ip"] + command.split(), check=True)
sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
sock.bind(("0.0.0.0", PORT))
sock.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                struct.pack("4s4s", socket.inet_aton(GROUP), socket.inet_aton(PC)))
sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(PC))
threading.Thread(target=serve, args=(sock,), daemon=True).start()

result = run_cli(args.cli, "discover", "--json", "--wait", "0.5", "--onvif")
check(result.returncode == 0, f"discover failed: {result.stderr}")
cameras = json.loads(result.stdout)
keys = ["protocol", "mac", "model", "serial", "softVersion", "ipAddress", "dhcp", "subnetMask",
        "gateway", "dnsAuto", "dns1", "dns2", "dns3", "dns4", "webPort", "interface",
        "interfaceAddress", "reachability", "problems", "manufacturer", "hardwareId", "name",
        "location", "serviceAddress", "clockOffset", "access"]
check([list(c) for c in cameras] == [keys] * 2, f"not two ONVIF cameras: {result.stdout}")
check([(c["name"], c["ipAddress"], c["interface"], c["access"]) for c in cameras] ==
      [("Gate a", PC, "onvif0", "unreachable"), ("Gate c", PC, "onvif0", "unreachable")],
      f"cameras: {cameras}")
check(cameras[0]["mac"] == "" and cameras[0]["model"] is None and cameras[0]["problems"] == [],
      f"what the camera did not say: {cameras[0]}")
lines = run_cli(args.cli, "discover", "--csv", "--wait", "0.1", "--onvif").stdout.splitlines()
header = lines[0].split(",")
check(header[:2] == ["protocol", "mac"] and header[-7:] == keys[-7:] and len(lines) == 3,
      f"CSV: {lines}")
plain = run_cli(args.cli, "discover", "--wait", "0.1", "--onvif")
check(plain.stdout.endswith("2 cameras \u00b7 2 ONVIF\n"), f"table: {plain.stdout}")
print("discover --onvif: ok")

#!/usr/bin/env python3
"""discover --onvif in a private namespace against WS-Discovery responders written here: a camera
that answers the multicast probe (twice, as devices do), one that answers only a directed probe,
one that announces itself with Hello, and a PC's responder that must never be listed. No device
service answers, so every camera is listed as unreachable, with exactly the keys of its kind."""

import json
import socket
import struct
import subprocess
import threading

from harness import check, parse_programs, run_cli

args = parse_programs(broadcasts=True)

GROUP, PORT = "239.255.255.250", 3702
D = "http://schemas.xmlsoap.org/ws/2005/04/discovery"
A = "http://schemas.xmlsoap.org/ws/2004/08/addressing"


def message(kind, uuid, types, relates=""):
    body = (f'<d:{kind}><a:EndpointReference><a:Address>urn:uuid:{uuid}</a:Address>'
            f'</a:EndpointReference><d:Types>{types}</d:Types><d:Scopes>'
            f'onvif://www.onvif.org/name/Gate%20{uuid[-1]}</d:Scopes>'
            f'<d:XAddrs>http://127.0.0.1:1/onvif/device_service</d:XAddrs>'
            f'<d:MetadataVersion>1</d:MetadataVersion></d:{kind}>')
    if kind == "ProbeMatch":
        body = f"<d:ProbeMatches>{body}</d:ProbeMatches>"
    return (f'<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" xmlns:a="{A}" '
            f'xmlns:d="{D}" xmlns:dn="http://www.onvif.org/ver10/network/wsdl" '
            f'xmlns:pc="http://example.org/pc"><s:Header><a:RelatesTo>{relates}</a:RelatesTo>'
            f'</s:Header><s:Body>{body}</s:Body></s:Envelope>').encode()


def responder(address, answers, hello=None):
    """Answers each probe that reaches `address`:3702 with `answers` ProbeMatches (twice each)."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind((address, PORT))
    if address == "0.0.0.0":
        sock.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                        struct.pack("4s4s", socket.inet_aton(GROUP), socket.inet_aton(PC)))
        sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(PC))
    def serve():
        while True:
            data, peer = sock.recvfrom(65536)
            if b"/Probe</" not in data:
                continue
            for uuid, types in answers:
                for _ in range(2):
                    sock.sendto(message("ProbeMatch", uuid, types), peer)
            if hello:
                sock.sendto(message("Hello", *hello), (GROUP, PORT))
    threading.Thread(target=serve, daemon=True).start()


PC = "10.79.0.1"
for command in (["ip", "link", "add", "onvif0", "type", "veth", "peer", "name", "onvif1"],
                ["ip", "link", "set", "onvif1", "up"], ["ip", "link", "set", "onvif0", "up"],
                ["ip", "addr", "add", PC + "/24", "dev", "onvif0"]):
    subprocess.run(command, check=True)
responder("0.0.0.0", [("00000000-0000-0000-0000-00000000000a", "dn:NetworkVideoTransmitter"),
                      ("00000000-0000-0000-0000-00000000000f", "pc:Computer")],
          hello=("00000000-0000-0000-0000-00000000000c", "dn:NetworkVideoTransmitter"))
responder("127.0.0.2", [("00000000-0000-0000-0000-00000000000b", "dn:NetworkVideoTransmitter")])

result = run_cli(args.cli, "discover", "--json", "--wait", "0.5", "--onvif-probe", "127.0.0.2")
check(result.returncode == 0, f"discover failed: {result.stderr}")
cameras = json.loads(result.stdout)
keys = ["protocol", "mac", "model", "serial", "softVersion", "ipAddress", "dhcp", "subnetMask",
        "gateway", "dnsAuto", "dns1", "dns2", "dns3", "dns4", "webPort", "interface",
        "interfaceAddress", "reachability", "problems", "manufacturer", "hardwareId", "name",
        "location", "serviceAddress", "clockOffset", "access"]
check([list(c) for c in cameras] == [keys] * 3, f"not three ONVIF cameras: {result.stdout}")
check([(c["name"], c["ipAddress"], c["interface"], c["access"]) for c in cameras] ==
      [("Gate a", PC, "onvif0", "unreachable"), ("Gate c", PC, "onvif0", "unreachable"),
       ("Gate b", "127.0.0.2", None, "unreachable")], f"cameras: {cameras}")
check(cameras[0]["mac"] == "" and cameras[0]["model"] is None and cameras[0]["problems"] == [],
      f"what the camera did not say: {cameras[0]}")

csv = run_cli(args.cli, "discover", "--csv", "--wait", "0.1", "--onvif")
header = csv.stdout.splitlines()[0].split(",")
check(header[:2] == ["protocol", "mac"] and header[-7:] == keys[-7:] and len(csv.stdout.splitlines())
      == 3, f"CSV: {csv.stdout}")
plain = run_cli(args.cli, "discover", "--wait", "0.1", "--onvif")
check(plain.stdout.endswith("2 cameras \u00b7 2 ONVIF\n"), f"table: {plain.stdout}")
print("discover --onvif: ok")

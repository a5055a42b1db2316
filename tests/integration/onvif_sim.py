#!/usr/bin/env python3
"""pelmora-sim's ONVIF cameras as a hand-written client sees them in a camera LAN of our own
namespaces: probes to the group and direct, each answered twice, and who the device service
lets in (password digest, Created time against the camera's clock, HTTP Digest)."""

import base64
import datetime
import hashlib
import http.client
import os
import re
import select
import socket
import subprocess
import time
import urllib.parse
import uuid
from collections import Counter

from harness import Simulator, camera_lan, check, parse_programs

PC, CAMERAS = "10.78.0.1", "10.78.0.2"
GROUP = "239.255.255.250"
DRAFT = "http://schemas.xmlsoap.org/ws/2005/04/discovery"
OASIS = "http://docs.oasis-open.org/ws-dd/ns/discovery/2009/01"
ADDRESSING = {DRAFT: "http://schemas.xmlsoap.org/ws/2004/08/addressing",
              OASIS: "http://www.w3.org/2005/08/addressing"}
WSS = "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-"
SECURITY, UTILITY = WSS + "wssecurity-secext-1.0.xsd", WSS + "wssecurity-utility-1.0.xsd"
DIGEST = WSS + "username-token-profile-1.0#PasswordDigest"


def probe(discovery, message_id):
    return (f'<?xml version="1.0" encoding="UTF-8"?>'
            f'<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" '
            f'xmlns:a="{ADDRESSING[discovery]}" xmlns:d="{discovery}" '
            f'xmlns:dn="http://www.onvif.org/ver10/network/wsdl"><s:Header>'
            f'<a:MessageID>{message_id}</a:MessageID><a:Action>{discovery}/Probe</a:Action>'
            f'</s:Header><s:Body><d:Probe><d:Types>dn:NetworkVideoTransmitter</d:Types>'
            f'</d:Probe></s:Body></s:Envelope>').encode()


def collect(sock, seconds):
    """(source, payload) of every datagram within `seconds`."""
    seen, end = [], time.monotonic() + seconds
    while (left := end - time.monotonic()) > 0:
        if select.select([sock], [], [], left)[0]:
            payload, source = sock.recvfrom(65536)
            seen.append((source, payload.decode()))
    return seen


def first(pattern, text):
    found = re.search(pattern, text, re.S)
    check(found is not None, f"no {pattern} in {text[:300]}")
    return found.group(1)


def answers_by_endpoint(answers, discovery, message_id):
    """The number of copies each camera sent, checked to answer this probe in its version."""
    copies = Counter()
    for source, text in answers:
        check(source[0] == CAMERAS, f"answer from {source}")
        check(f'xmlns:d="{discovery}"' in text, f"answer not in the probe's version: {text[:200]}")
        check(first(r"RelatesTo>([^<]*)<", text) == message_id, "RelatesTo is not the probe")
        copies[first(r"Address>([^<]*)<", text)] += 1
    return copies


def request(operation, token=""):
    header = f"<s:Header>{token}</s:Header>" if token else ""
    return (f'<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope">{header}<s:Body>'
            f'<{operation} xmlns="http://www.onvif.org/ver10/device/wsdl"/></s:Body>'
            f'</s:Envelope>').encode()


def token(user, password, created):
    nonce = os.urandom(16)
    stamp = created.strftime("%Y-%m-%dT%H:%M:%SZ")
    digest = base64.b64encode(hashlib.sha1(nonce + stamp.encode() + password.encode()).digest())
    return (f'<wsse:Security xmlns:wsse="{SECURITY}" xmlns:wsu="{UTILITY}"><wsse:UsernameToken>'
            f'<wsse:Username>{user}</wsse:Username><wsse:Password Type="{DIGEST}">'
            f'{digest.decode()}</wsse:Password><wsse:Nonce>{base64.b64encode(nonce).decode()}'
            f'</wsse:Nonce><wsu:Created>{stamp}</wsu:Created></wsse:UsernameToken>'
            f'</wsse:Security>')


def post(url, body, digest_password=None):
    """(status, body, WWW-Authenticate) of one POST; with a password, answered with HTTP Digest
    (MD5, qop auth) when the camera asks for it."""
    parts = urllib.parse.urlsplit(url)
    headers = {"Content-Type": "application/soap+xml; charset=utf-8"}
    for _ in range(2):
        connection = http.client.HTTPConnection(parts.hostname, parts.port, timeout=10)
        connection.request("POST", parts.path, body, headers)
        answer = connection.getresponse()
        status, text = answer.status, answer.read().decode()
        challenge = answer.getheader("WWW-Authenticate", "")
        connection.close()
        if status != 401 or digest_password is None or "Authorization" in headers:
            break
        headers["Authorization"] = digest_answer(challenge, parts.path, digest_password)
    return status, text, challenge


def digest_answer(challenge, uri, password, user="admin"):
    asked = dict(re.findall(r'(\w+)="?([^",]*)"?', challenge))
    md5 = lambda text: hashlib.md5(text.encode()).hexdigest()
    cnonce, count = uuid.uuid4().hex, "00000001"
    secret = md5(f"{user}:{asked['realm']}:{password}")
    response = md5(f"{secret}:{asked['nonce']}:{count}:{cnonce}:auth:{md5('POST:' + uri)}")
    return (f'Digest username="{user}", realm="{asked["realm"]}", nonce="{asked["nonce"]}", '
            f'uri="{uri}", qop=auth, nc={count}, cnonce="{cnonce}", response="{response}", '
            f'opaque="{asked.get("opaque", "")}", algorithm=MD5')


def camera_clock(url):
    status, text, _ = post(url, request("GetSystemDateAndTime"))
    check(status == 200, f"GetSystemDateAndTime: {status}")
    utc = first(r"UTCDateTime>(.*?)</tt:UTCDateTime", text)
    parts = {name: int(first(rf"{name}>(\d+)<", utc))
             for name in ("Year", "Month", "Day", "Hour", "Minute", "Second")}
    return datetime.datetime(parts["Year"], parts["Month"], parts["Day"], parts["Hour"],
                             parts["Minute"], parts["Second"], tzinfo=datetime.timezone.utc)


args = parse_programs(broadcasts=True)
subprocess.run(["ip", "route", "del", "default"], check=False)
holder, enter = camera_lan("onvif", f"{PC}/24", f"{CAMERAS}/24")
try:
    # Camera 0 ignores the group, camera 1's clock is 3 h behind, camera 2 refuses everyone.
    with Simulator(args.sim, "--bind", CAMERAS, "--port", "0", "--cameras", "0", "--onvif", "3",
                   "--onvif-ignore-multicast", "1", "--onvif-clock-offset-of", "1=-10800",
                   "--onvif-refuse", "1", prefix=enter) as sim:
        check(sim.ready_line.endswith(f" with 0 cameras and 3 ONVIF cameras, WS-Discovery on "
                                      f"{CAMERAS}:3702"), sim.ready_line)
        sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        sock.bind((PC, 0))
        sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(PC))

        message_id = f"urn:uuid:{uuid.uuid4()}"
        sock.sendto(probe(DRAFT, message_id), (GROUP, 3702))
        heard = answers_by_endpoint(collect(sock, 1.0), DRAFT, message_id)
        check(sorted(heard.values()) == [2, 2], f"multicast: two cameras twice each: {heard}")

        message_id = f"urn:uuid:{uuid.uuid4()}"
        sock.sendto(probe(OASIS, message_id), (CAMERAS, 3702))
        answers = collect(sock, 1.0)
        heard = answers_by_endpoint(answers, OASIS, message_id)
        check(sorted(heard.values()) == [2, 2, 2], f"directed: three cameras twice each: {heard}")
        services = {}
        for _, text in answers:
            name = first(r"onvif://www.onvif.org/name/(\S+)", text).split("<")[0]
            services[name] = first(r"XAddrs>([^<]*)<", text)
        check(sorted(services) == ["ONVIF%20Sim%201", "ONVIF%20Sim%202", "ONVIF%20Sim%203"],
              f"names: {sorted(services)}")
        plain, behind, refusing = (services[f"ONVIF%20Sim%20{i}"] for i in (1, 2, 3))
        check(re.fullmatch(rf"http://{CAMERAS}:\d+/onvif/device_service", plain), plain)

        now = datetime.datetime.now(datetime.timezone.utc)
        info = request("GetDeviceInformation")
        status, _, challenge = post(plain, info)
        check(status == 401 and challenge.startswith("Digest "),
              f"no credentials: {status} {challenge}")
        status, text, _ = post(plain, request("GetDeviceInformation",
                                              token("admin", "password", now)))
        check(status == 200 and "<tds:Manufacturer>" in text, f"right digest: {status} {text}")
        status, text, _ = post(plain, request("GetDeviceInformation",
                                              token("admin", "wrong", now)))
        check(status == 400 and "ter:NotAuthorized" in text, f"wrong password: {status} {text}")
        status, text, _ = post(plain, info, digest_password="password")
        check(status == 200 and "<tds:Manufacturer>" in text, f"HTTP Digest: {status}")
        status, _, _ = post(plain, info, digest_password="wrong")
        check(status == 401, f"wrong HTTP Digest: {status}")

        offset = camera_clock(behind) - datetime.datetime.now(datetime.timezone.utc)
        check(abs(offset.total_seconds() + 10800) < 5, f"clock offset {offset}")
        status, _, _ = post(behind, request("GetDeviceInformation",
                                            token("admin", "password", now)))
        check(status == 400, f"uncorrected Created: {status}")
        status, _, _ = post(behind, request("GetDeviceInformation",
                                            token("admin", "password", now + offset)))
        check(status == 200, f"corrected Created: {status}")

        status, _, _ = post(refusing, request("GetDeviceInformation",
                                              token("admin", "password", now)))
        check(status == 400, f"refusing camera, right digest: {status}")
        status, _, _ = post(refusing, info, digest_password="password")
        check(status == 401, f"refusing camera, right HTTP Digest: {status}")
finally:
    holder.kill()
    holder.wait()
print("simulated ONVIF cameras: ok")

#!/usr/bin/env python3
"""pelmora-cli discover with standard error a full pipe nobody reads: the diagnostic lines of a
flood of oversize datagrams cannot be written, yet a camera that answers afterwards is still
listed and the command ends on time."""

import json
import os
import socket
import subprocess
import time

from harness import check, parse_programs

ENQUIRY = b"\x02ENQ:allinfo\xff\x03"
OVERSIZE = b"\x02" + b"x" * 1100 + b"\x03"
MAC = "02:50:4D:00:00:01"
REPLY = b"\x02MAC:" + MAC.encode() + b"\xffMODEL:PM-C110\xff\x03"
WAIT = 1.5
FLOOD = 3000

args = parse_programs()

camera = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
camera.bind(("127.0.0.1", 0))
camera.settimeout(5)
# The rate limit keeps the flood's lines from filling the pipe: it is full from the start.
unread, stderr = os.pipe()
os.set_blocking(stderr, False)
filled = 0
try:
    while True:
        filled += os.write(stderr, b"filler\n")
except BlockingIOError:
    pass
os.set_blocking(stderr, True)
started = time.monotonic()
cli = subprocess.Popen([args.cli, "discover", "--json", "--wait", str(WAIT), "--target",
                        f"127.0.0.1:{camera.getsockname()[1]}"],
                       stdout=subprocess.PIPE, stderr=stderr)
os.close(stderr)
try:
    enquiry, tool = camera.recvfrom(2048)
    check(enquiry == ENQUIRY, f"expected the enquiry, got {enquiry!r}")
    for i in range(FLOOD):
        camera.sendto(OVERSIZE, tool)
        if i % 50 == 49:
            time.sleep(0.002)  # paced so the socket buffer keeps up
    # Answered until the command has listened long enough: each answer must still be taken.
    while True:
        camera.sendto(REPLY, tool)
        if cli.poll() is not None or time.monotonic() - started >= WAIT:
            break
        time.sleep(0.05)
    code = cli.wait(timeout=WAIT + 10)
    elapsed = time.monotonic() - started
except subprocess.TimeoutExpired:
    cli.kill()
    check(False, "discover hung with its standard error full")
finally:
    if cli.poll() is None:
        cli.kill()
    cli.wait()

out = cli.stdout.read()
with os.fdopen(unread, "rb") as pipe:
    err = pipe.read()
check(code == 0, f"discover failed ({code})")
check(elapsed < WAIT + 2, f"discover took {elapsed:.2f} s to end after --wait {WAIT}")
check(len(err) >= filled > 60_000, f"standard error was not full ({filled} bytes)")
check(set(err.decode().splitlines()) == {"filler"}, "lines written past a full pipe")
cameras = json.loads(out)
check([c["mac"] for c in cameras] == [MAC], f"the camera that answered after the flood: {out!r}")
print("discover with an unread standard error: ok")

"""Shared pieces of the end-to-end tests: the simulator and the CLI as processes, and private
network namespaces for everything that broadcasts."""

import argparse
import atexit
import errno
import json
import os
import select
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77

# The tools record every setting request they send; a test's records stay out of the home of
# whoever runs it.
if "PELMORA_STATE_DIR" not in os.environ:
    os.environ["PELMORA_STATE_DIR"] = tempfile.mkdtemp(prefix="pelmora-test-state-")
    atexit.register(shutil.rmtree, os.environ["PELMORA_STATE_DIR"], True)


def parse_programs(broadcasts=False, window=False, extra=()):
    """The programs under test from the command line. A test that broadcasts also gets the
    namespace script and runs itself again inside a private namespace; one that runs the
    window gets its program too. `extra`: (option, default) pairs a test takes besides."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--sim", required=True)
    parser.add_argument("--cli", required=True)
    for option, default in extra:
        parser.add_argument(option, default=default)
    if window:
        parser.add_argument("--window", required=True)
    if broadcasts:
        parser.add_argument("--netns", required=True)
    args = parser.parse_args()
    if broadcasts:
        reexec_in_namespace(args.netns)
    return args


def in_private_namespace():
    return os.environ.get("PELMORA_IN_NETNS") == "1"


# Runs a command in a network namespace of its own, made by an unprivileged user.
UNSHARE_NET = ["unshare", "--user", "--map-root-user", "--net"]


def namespace_problem():
    """Why no private network namespace can be made here, or None when one can."""
    if shutil.which("unshare") is None or shutil.which("ip") is None:
        return "unshare or ip not available"
    probe = subprocess.run(UNSHARE_NET + ["true"], capture_output=True)
    if probe.returncode != 0:
        return "cannot create a network namespace: " + probe.stderr.decode().strip()
    return None


def reexec_in_namespace(netns_script):
    """Runs this test script again inside a private network namespace (loopback only, default
    route on it). Exits with the skip code where no namespace can be made."""
    if in_private_namespace():
        return
    problem = namespace_problem()
    if problem is not None:
        print("skipped:", problem)
        sys.exit(SKIP)
    result = subprocess.run([netns_script, sys.executable] + sys.argv)
    sys.exit(result.returncode)


def without_network():
    """A prefix that runs a command in a fresh network namespace whose loopback is down: there
    is no route at all, every send fails (ENETUNREACH) and nothing leaves. None where no
    namespace can be made."""
    return UNSHARE_NET if namespace_problem() is None else None


def sh(*command):
    subprocess.run(command, check=True)


def camera_lan(name, pc_address, camera_address):
    """A camera LAN: a namespace held open by a sleeping process, linked to ours by a veth pair
    ("tool-NAME" here with `pc_address`, "cam-NAME" there with `camera_address`, both
    "A.B.C.D/PREFIX"). Returns the holder process and the prefix that runs a command there."""
    holder = subprocess.Popen(["unshare", "--net", "sleep", "600"])
    netns = f"/proc/{holder.pid}/ns/net"
    for _ in range(100):
        # unshare has made the namespace once the holder's differs from ours.
        if subprocess.run(["readlink", netns], capture_output=True, text=True).stdout != \
                subprocess.run(["readlink", "/proc/self/ns/net"], capture_output=True,
                               text=True).stdout:
            break
        time.sleep(0.01)
    ours, theirs = f"tool-{name}", f"cam-{name}"
    sh("ip", "link", "add", ours, "type", "veth", "peer", "name", theirs)
    sh("ip", "link", "set", theirs, "netns", str(holder.pid))
    sh("ip", "addr", "add", pc_address, "dev", ours)
    sh("ip", "link", "set", ours, "up")
    enter = ["nsenter", "-t", str(holder.pid), "-n"]
    sh(*enter, "ip", "link", "set", "lo", "up")
    sh(*enter, "ip", "addr", "add", camera_address, "dev", theirs)
    sh(*enter, "ip", "link", "set", theirs, "up")
    return holder, enter


class Capture:
    """Every UDP datagram to `port` that leaves or arrives on `interface`, as payload bytes
    (a packet socket: only in a namespace of our own, where we are root)."""

    def __init__(self, interface, port=2380):
        self.port = port
        self.sock = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(0x0003))
        self.sock.bind((interface, 0))

    def payloads(self):
        """What has been seen since the last call."""
        return [payload for _, payload in self.datagrams()]

    def datagrams(self):
        """(source port, payload) of each datagram seen since the last call."""
        seen = []
        while select.select([self.sock], [], [], 0.05)[0]:
            try:
                frame = self.sock.recv(65535)
            except OSError as error:
                # The interface went down: said once, then the socket goes on.
                if error.errno != errno.ENETDOWN:
                    raise
                continue
            if len(frame) < 14 + 20 or frame[12:14] != b"\x08\x00" or frame[14 + 9] != 17:
                continue
            ip = frame[14:]
            udp = ip[(ip[0] & 0x0F) * 4:]
            source, destination, length, _ = struct.unpack("!HHHH", udp[:8])
            if destination == self.port:
                seen.append((source, bytes(udp[8:length])))
        return seen

    def close(self):
        self.sock.close()


class Simulator:
    """pelmora-sim as a child process, ready once it has printed its ready line."""

    def __init__(self, binary, *args, prefix=()):
        self.process = subprocess.Popen(list(prefix) + [binary, *args], stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("pelmora-sim ready on "):
            self.stop()
            raise RuntimeError("simulator did not start: " + line + self.process.stderr.read())
        self.ready_line = line.rstrip("\n")
        self.port = int(line.split()[3].rsplit(":", 1)[1])

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
        self.process.wait(timeout=10)
        return self.process.returncode

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def run_cli(binary, *args, prefix=(), timeout=60, env=None, stdout=subprocess.PIPE):
    """Arguments may be bytes, passed as they are. `env` adds to this process's environment."""
    return subprocess.run(list(prefix) + [binary, *args], stdout=stdout, stderr=subprocess.PIPE,
                          text=True, timeout=timeout,
                          env=None if env is None else {**os.environ, **env})


def nothing_arrives(sock):
    """True when no datagram waits on `sock`. What a finished CLI sent over loopback is already
    queued, so a short look is enough."""
    readable, _, _ = select.select([sock], [], [], 0.02)
    return not readable


def bare_listener(address="127.0.0.1", port=0):
    """A UDP socket that answers nothing, and the --target option that reaches it."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind((address, port))
    return sock, ["--target", f"127.0.0.1:{sock.getsockname()[1]}"]


def discover_json(cli, *args, prefix=()):
    result = run_cli(cli, "discover", "--json", *args, prefix=prefix)
    if result.returncode != 0:
        raise AssertionError(f"discover failed ({result.returncode}): {result.stderr}")
    return json.loads(result.stdout)


def check(condition, message):
    if not condition:
        print("FAILED:", message)
        sys.exit(1)

#!/usr/bin/env python3
"""pelmora-cli plan and apply-plan against pelmora-sim on 127.0.0.1: fifty cameras renumbered
and each one verified by its next reply, the request of a row byte for byte the one set-network
sends, refused plans that send no request, a chain of moves sent in the safe order and a swap
refused as a cycle, cameras silent for a while after a network change, Ctrl-C between cameras, and discover --csv read back as a plan."""

import os
import select
import signal
import socket
import subprocess
import tempfile
import threading
import time

from harness import Simulator, check, discover_json, parse_programs, run_cli

args = parse_programs()

ADMIN = ["--user", "admin", "--password", "password"]


class Relay:
    """A UDP relay between the tool and the simulator that keeps every datagram the tool sends."""

    def __init__(self, sim_port):
        self.front = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.front.bind(("127.0.0.1", 0))
        self.back = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.back.bind(("127.0.0.1", 0))
        self.sim = ("127.0.0.1", sim_port)
        self.tool = None
        self.sent = []
        self.running = True
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()
        self.target = ["--target", f"127.0.0.1:{self.front.getsockname()[1]}"]

    def run(self):
        while self.running:
            readable, _, _ = select.select([self.front, self.back], [], [], 0.05)
            for sock in readable:
                data, source = sock.recvfrom(65535)
                if sock is self.front:
                    self.tool = source
                    self.sent.append(data)
                    self.back.sendto(data, self.sim)
                elif self.tool is not None:
                    self.front.sendto(data, self.tool)

    def requests(self):
        """The setting requests sent since the last call (enquiries left out)."""
        found = [d for d in self.sent if b"SETMAC:" in d]
        self.sent = []
        return found

    def close(self):
        self.running = False
        self.thread.join()
        self.front.close()
        self.back.close()


def write_plan(text):
    handle, path = tempfile.mkstemp(suffix=".csv")
    with os.fdopen(handle, "w", newline="") as f:
        f.write(text)
    return path


def apply_plan(text, target, *extra):
    path = write_plan(text)
    try:
        return run_cli(args.cli, "apply-plan", path, *ADMIN, *target, *extra, timeout=600)
    finally:
        os.unlink(path)


# Fifty cameras renumbered from 10.50.0.1 on, each verified; then the same plan again changes
# nothing.
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "50") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    macs = sorted(c["mac"] for c in discover_json(args.cli, "--wait", "0.5", *target))
    check(len(macs) == 50, f"{len(macs)} cameras found")
    made = run_cli(args.cli, "plan", "--start", "10.50.0.1", "--gateway", "10.50.0.254",
                   "--dns1", "10.50.0.254", *macs)
    check(made.returncode == 0, f"plan: {made.returncode} {made.stderr!r}")
    result = apply_plan(made.stdout, target)
    check(result.returncode == 0, f"apply-plan: {result.returncode} {result.stderr!r}")
    check(result.stdout == "".join(f"{mac} verified\n" for mac in macs),
          f"apply-plan printed {result.stdout!r}")
    shown = {c["mac"]: (c["ipAddress"], c["gateway"], c["dns1"])
             for c in discover_json(args.cli, "--wait", "0.5", *target)}
    check(shown == {mac: (f"10.50.0.{i + 1}", "10.50.0.254", "10.50.0.254")
                    for i, mac in enumerate(macs)}, f"the cameras report {shown}")
    again = apply_plan(made.stdout, target)
    check((again.returncode, again.stdout) == (0, "".join(f"{m} unchanged\n" for m in macs)),
          f"again: {again.returncode} {again.stdout!r}")

# Cameras that answer nothing for 2 s after accepting a network change (as real ones restart
# their network) are verified once they are back; with a shorter --verify-timeout they are not.
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "2",
               "--network-silence-seconds", "2") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]
    first, second = sorted(c["mac"] for c in discover_json(args.cli, "--wait", "0.5", *target))
    result = apply_plan(f"mac,ipAddress\n{first},192.168.0.61\n{second},192.168.0.62\n", target,
                        "--verify-timeout", "1")
    check((result.returncode, result.stdout) == (1, f"{first} not confirmed\n"
                                                    f"{second} not confirmed\n"),
          f"short verify timeout: {result.returncode} {result.stdout!r}")
    time.sleep(2)  # the last camera's silence, which would hide it from the next listening
    result = apply_plan(f"mac,ipAddress\n{first},192.168.0.71\n{second},192.168.0.72\n", target)
    check((result.returncode, result.stdout) == (0, f"{first} verified\n{second} verified\n"),
          f"after the silence: {result.returncode} {result.stdout!r}")

    # Ctrl-C while the first camera is under way: it is finished, the second gets nothing.
    time.sleep(2)
    relay = Relay(sim.port)
    path = write_plan(f"mac,ipAddress\n{first},192.168.0.81\n{second},192.168.0.82\n")
    process = subprocess.Popen([args.cli, "apply-plan", path, *ADMIN, *relay.target],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 30
    while not any(b"SETMAC:" in d for d in relay.sent) and time.monotonic() < deadline:
        time.sleep(0.01)
    process.send_signal(signal.SIGINT)
    out, _ = process.communicate(timeout=60)
    os.unlink(path)
    check((process.returncode, out) == (1, f"{first} verified\n{second} stopped\n"),
          f"interrupted: {process.returncode} {out!r}")
    check(len(relay.requests()) == 1, "more than one request went out after Ctrl-C")
    relay.close()

# Four cameras with fixed addresses (the simulator's third would otherwise use DHCP).
fixed = [a for n in range(2, 6) for a in ("--address", f"192.168.0.{n}/255.255.255.0/192.168.0.1")]
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4", *fixed) as sim:
    relay = Relay(sim.port)
    target = relay.target
    first, second, third, fourth = sorted(
        c["mac"] for c in discover_json(args.cli, "--wait", "0.5", *target))
    address = {c["mac"]: c["ipAddress"] for c in discover_json(args.cli, "--wait", "0.5", *target)}

    # One row's request is byte for byte the one set-network sends with the same values.
    options = ["--ip", "10.7.0.9", "--mask", "255.255.0.0", "--gateway", "10.7.0.1", "--dns2",
               "10.7.0.2", "--port", "8080"]
    relay.requests()
    result = run_cli(args.cli, "set-network", first, *options, *ADMIN, *target)
    check(result.returncode == 0, f"set-network: {result.returncode} {result.stdout!r}")
    by_set_network = relay.requests()
    # Back to where it was, then the same values by a plan.
    run_cli(args.cli, "set-network", first, "--ip", address[first], "--mask", "255.255.255.0",
            "--gateway", "192.168.0.1", "--dns1", "192.168.0.1", *ADMIN, *target)
    relay.requests()
    result = apply_plan("mac,dhcp,ipAddress,subnetMask,gateway,dnsAuto,dns1,dns2,webPort\n"
                        f"{first},0,10.7.0.9,255.255.0.0,10.7.0.1,0,,10.7.0.2,8080\n", target)
    check((result.returncode, result.stdout) == (0, f"{first} verified\n"),
          f"one row: {result.returncode} {result.stdout!r}")
    by_plan = relay.requests()
    check(len(by_set_network) == 1 and by_plan == by_set_network,
          f"set-network sent {by_set_network!r}, the plan {by_plan!r}")

    # Refused plans send no request: each reason is printed, the exit code is 1.
    refused = [
        ("unreadable row", f"mac,dhcp\n{second},2\n",
         ["row 2: dhcp must be 0 or 1, not \"2\""]),
        ("page check and unknown MAC",
         f"mac,ipAddress,subnetMask\n{second},10.8.0.1,255.0.255.0\n02:50:4D:00:0F:FF,10.8.0.2,\n",
         [f"{second}: Subnetmask Error", "02:50:4D:00:0F:FF: not among the cameras found"]),
        ("an address outside the plan", f"mac,ipAddress\n{second},{address[third]}\n",
         [f"{second}: {address[third]} is used by {third}, which is not in the plan"]),
        ("a swap", f"mac,ipAddress\n{second},{address[third]}\n{third},{address[second]}\n",
         [f"{second}, {third}: their moves form a cycle (each wants an address another of them "
          "holds)"]),
    ]
    for name, plan, reasons in refused:
        result = apply_plan(plan, target)
        expected = "Plan refused:\n" + "".join(f"  {r}\n" for r in reasons)
        check((result.returncode, result.stdout) == (1, expected),
              f"{name}: {result.returncode} {result.stdout!r}")
        check(relay.requests() == [], f"{name}: a request was sent")

    # A chain: each camera takes the address of the next, the last a free one. The holder of an
    # address always moves before the camera that takes it.
    chain = (f"mac,ipAddress\n{second},{address[third]}\n{third},{address[fourth]}\n"
             f"{fourth},192.168.0.77\n")
    dry = apply_plan(chain, target, "--dry-run")
    check(dry.returncode == 0 and dry.stdout.endswith(f"Order: {fourth} {third} {second}\n"),
          f"dry run: {dry.returncode} {dry.stdout!r}")
    check(relay.requests() == [], "the dry run sent a request")
    result = apply_plan(chain, target)
    check((result.returncode, result.stdout) ==
          (0, f"{fourth} verified\n{third} verified\n{second} verified\n"),
          f"chain: {result.returncode} {result.stdout!r}")
    check([r.split(b"SETMAC:")[1][:17].decode() for r in relay.requests()] ==
          [fourth, third, second], "the chain's requests went out in another order")

    # discover --csv, edited, is a plan: a text cell guarded against formulas reads back.
    listing = run_cli(args.cli, "discover", "--csv", "--wait", "0.5", *target)
    lines = listing.stdout.splitlines()
    header = lines[0].split(",")
    check(header[:5] == ["mac", "model", "serial", "softVersion", "ipAddress"],
          f"csv header {header}")
    row = next(line for line in lines[1:] if line.startswith(first))
    edited = lines[0] + "\n" + row.replace("10.7.0.9", "10.7.0.19") + "\n"
    result = apply_plan(edited, target)
    check((result.returncode, result.stdout) == (0, f"{first} verified\n"),
          f"edited export: {result.returncode} {result.stdout!r} {result.stderr!r}")
    relay.close()

#!/usr/bin/env python3
"""pelmora-cli set-pppoe against pelmora-sim on 127.0.0.1: switching on with automatic or manual
DNS and off again, shown by the camera's next reply; refused account checks that send nothing
and leave the camera as it was; usage errors; and a camera without PPPoE that refuses."""

import select
import socket

from harness import Simulator, check, discover_json, parse_programs, run_cli

args = parse_programs()

ADMIN = ["--user", "admin", "--password", "password"]
PPPOE_KEYS = ("pppoeOn", "pppoeIpAddress", "pppoeDnsAuto", "pppoeDns1", "pppoeDns2")


def nothing_arrives(sock):
    readable, _, _ = select.select([sock], [], [], 0.1)
    return not readable


# Four cameras, one of each model: two report PPPoE (both off at start), two do not.
with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4") as sim:
    target = ["--target", f"127.0.0.1:{sim.port}"]

    def cameras():
        return {c["mac"]: c for c in discover_json(args.cli, "--wait", "0.5", *target)}

    def pppoe_state(camera):
        return {k: camera[k] for k in PPPOE_KEYS}

    def set_pppoe(mac, *options, admin=ADMIN, to=target):
        return run_cli(args.cli, "set-pppoe", mac, *options, *admin, *to)

    def expect(result, code, stdout, what):
        check((result.returncode, result.stdout) == (code, stdout),
              f"{what}: {result.returncode} {result.stdout!r} {result.stderr!r}")

    listed = cameras()
    with_pppoe = sorted(mac for mac, c in listed.items() if c["pppoeReported"])
    without_pppoe = sorted(mac for mac, c in listed.items() if not c["pppoeReported"])
    check(len(with_pppoe) == 2 and len(without_pppoe) == 2, f"cameras: {listed}")
    first, second = with_pppoe
    check(not listed[first]["pppoeOn"] and not listed[second]["pppoeOn"],
          "the PPPoE cameras do not start switched off")

    # The longest account, framing bytes and colons included: it travels Base64-encoded.
    user_id = ("id\x02\x03" * 16)[:64]
    account = ["--pppoe-user", user_id, "--pppoe-password", "pass:word" + "x" * 55]
    expect(set_pppoe(first, "--on", *account, "--dns-auto"), 0, "Setting OK\n", "on, DNS auto")
    state = pppoe_state(cameras()[first])
    check(state["pppoeOn"] == 1 and state["pppoeIpAddress"] != "0.0.0.0" and
          state["pppoeDnsAuto"] == 1, f"on with automatic DNS, the camera reports {state}")

    # Manual DNS once a server is given; a server left out is sent blank, so the camera drops
    # the one it had.
    expect(set_pppoe(first, "--on", *account, "--dns2", "10.2.2.2"), 0, "Setting OK\n",
           "on, secondary DNS only")
    state = pppoe_state(cameras()[first])
    check((state["pppoeOn"], state["pppoeDnsAuto"], state["pppoeDns1"], state["pppoeDns2"]) ==
          (1, 0, "0.0.0.0", "10.2.2.2"), f"with the secondary DNS only the camera reports {state}")
    expect(set_pppoe(first, "--on", *account, "--pppoe-retype", account[3], "--dns1",
                     "10.1.1.1"), 0, "Setting OK\n", "on, primary DNS only")
    state = pppoe_state(cameras()[first])
    check((state["pppoeDnsAuto"], state["pppoeDns1"], state["pppoeDns2"]) ==
          (0, "10.1.1.1", "0.0.0.0"), f"with the primary DNS only the camera reports {state}")

    expect(set_pppoe(first, "--off"), 0, "Setting OK\n", "off")
    state = pppoe_state(cameras()[first])
    check(state["pppoeOn"] == 0, f"after off the camera reports {state}")

    # A refused account check prints the page's message and sends nothing, not even an
    # enquiry: neither the simulator's camera nor a bare socket hears anything.
    listener = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    listener.bind(("127.0.0.1", 0))
    to_listener = ["--target", f"127.0.0.1:{listener.getsockname()[1]}"]
    before = pppoe_state(cameras()[second])
    refused = [
        ("no user ID", ["--pppoe-password", "secret"], "UserID Error"),
        ("empty user ID and password", ["--pppoe-user", "", "--pppoe-password", ""],
         "UserID Error"),
        ("re-typed password differs",
         ["--pppoe-user", "someone", "--pppoe-password", "secret", "--pppoe-retype", "Secret"],
         "Password Error"),
        ("no password", ["--pppoe-user", "someone"], "Password Error"),
        ("empty password re-typed empty",
         ["--pppoe-user", "someone", "--pppoe-password", "", "--pppoe-retype", ""],
         "Password Error"),
    ]
    for name, options, message in refused:
        for to in (target, to_listener):
            expect(set_pppoe(second, "--on", *options, to=to), 1, message + "\n", name)
        check(nothing_arrives(listener), f"{name}: a datagram was sent")
    check(pppoe_state(cameras()[second]) == before, "a refused check changed the camera")

    valid = ["--pppoe-user", "someone", "--pppoe-password", "secret"]
    usage_errors = [
        ("4-character administrator credentials", ["--on", *valid],
         ["--user", "admn", "--password", "pass"]),
        ("neither --on nor --off", valid, ADMIN),
        ("--on with --off", ["--on", "--off"], ADMIN),
        ("--off with an account", ["--off", "--pppoe-user", "someone"], ADMIN),
        ("--off with a DNS server", ["--off", "--dns1", "10.1.1.1"], ADMIN),
        ("65-character user ID", ["--on", *valid[2:], "--pppoe-user", "u" * 65], ADMIN),
        ("65-character re-typed password", ["--on", *valid, "--pppoe-retype", "p" * 65], ADMIN),
        ("--dns-auto with a DNS server", ["--on", *valid, "--dns-auto", "--dns2", "10.1.1.1"],
         ADMIN),
        ("malformed DNS server", ["--on", *valid, "--dns1", "10.1.1"], ADMIN),
    ]
    for name, options, admin in usage_errors:
        result = set_pppoe(second, *options, admin=admin, to=to_listener)
        check(result.returncode == 2, f"{name}: {result.returncode} {result.stderr!r}")
        check(nothing_arrives(listener), f"{name}: a datagram was sent")
    listener.close()
    result = set_pppoe(second, "--off", admin=["--user", "admn", "--password", "password"])
    check("5 to 16 characters" in result.stderr, f"credential message: {result.stderr!r}")

    # A camera that does not report PPPoE refuses the request, whatever it asks.
    for mac in without_pppoe:
        expect(set_pppoe(mac, "--on", *valid), 1, "Setting NG\n", "camera without PPPoE, on")
    expect(set_pppoe(without_pppoe[0], "--off"), 1, "Setting NG\n", "camera without PPPoE, off")
    check(not any(cameras()[mac]["pppoeReported"] for mac in without_pppoe),
          "a camera without PPPoE reports it")
print("set-pppoe: ok")

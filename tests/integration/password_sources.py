#!/usr/bin/env python3
"""Where pelmora-cli takes its passwords from, against pelmora-sim on 127.0.0.1: an option's
value (with one warning line), a private file, a line of standard input, the environment; which
one wins; what is refused, and that then nothing is sent; and that no password ever shows in
any output, a dry run, a message or the change log."""

import base64
import os
import socket
import subprocess
import tempfile

from harness import Simulator, check, nothing_arrives, parse_programs

args = parse_programs()

SECRET = "Adm1n-Secret"  # the cameras' administrator password
WRONG = "Wr0ng-Secret"
PPPOE = "Isp-Secret-42"
ALL_SECRETS = (SECRET, WRONG, PPPOE)
MAC = "02:50:4D:00:00:02"  # takes settings
PPPOE_MAC = "02:50:4D:00:00:03"  # has PPPoE
WARNING = "Warning: other users of this machine can read a password"

directory = tempfile.mkdtemp()
state = tempfile.mkdtemp()  # the change log of the requests sent here


def secret_file(name, text, mode=0o600):
    path = os.path.join(directory, name)
    with open(path, "w", newline="") as f:
        f.write(text)
    os.chmod(path, mode)
    return path


private = secret_file("private", SECRET + "\n")
private_crlf = secret_file("crlf", SECRET + "\r\nsecond line\n")
private_wrong = secret_file("wrong", WRONG + "\n")
group_readable = secret_file("group", SECRET + "\n", 0o640)
others_readable = secret_file("others", SECRET + "\n", 0o604)
empty = secret_file("empty", "")
missing = os.path.join(directory, "missing")


def run(*command, stdin="", env=None):
    environment = {k: v for k, v in os.environ.items() if not k.startswith("PELMORA_")}
    environment["PELMORA_STATE_DIR"] = state
    environment.update(env or {})
    return subprocess.run([args.cli, *command], input=stdin, capture_output=True, text=True,
                          timeout=60, env=environment)


listener = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
listener.bind(("127.0.0.1", 0))
to_listener = ["--target", f"127.0.0.1:{listener.getsockname()[1]}"]

with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras", "4",
               "--password", SECRET) as sim:
    to_sim = ["--target", f"127.0.0.1:{sim.port}"]
    outputs = []

    def expect(name, result, code, stdout, stderr_has=(), warned=False):
        outputs.append((name, result.stdout + result.stderr))
        check(result.returncode == code and (stdout is None or result.stdout == stdout),
              f"{name}: {result.returncode} {result.stdout!r} {result.stderr!r}")
        for words in stderr_has:
            check(words in result.stderr, f"{name}: {words!r} not in {result.stderr!r}")
        warnings = [line for line in result.stderr.splitlines() if line.startswith(WARNING)]
        check(len(warnings) == (1 if warned else 0), f"{name}: warnings {warnings}")

    # The administrator password, sent for real: "Setting OK" shows the camera got the right
    # one, "Setting NG" that the wrong source won.
    # (name, options, standard input, environment, exit code, stdout, in stderr, warned)
    ok, ng = (0, "Setting OK\n"), (1, "Setting NG\n")
    sent = [
        ("--password", ["--password", SECRET], "", {}, *ok, [], True),
        ("private file", ["--password-file", private], "", {}, *ok, [], False),
        ("CRLF file, first line only", ["--password-file", private_crlf], "", {}, *ok, [], False),
        ("standard input", ["--password-stdin"], SECRET + "\nrest\n", {}, *ok, [], False),
        ("standard input without LF", ["--password-stdin"], SECRET, {}, *ok, [], False),
        ("environment", [], "", {"PELMORA_PASSWORD": SECRET}, *ok, [], False),
        ("file over environment", ["--password-file", private], "",
         {"PELMORA_PASSWORD": WRONG}, *ok, [], False),
        ("standard input over environment", ["--password-stdin"], WRONG + "\n",
         {"PELMORA_PASSWORD": SECRET}, *ng, [], False),
        ("option over environment", ["--password", WRONG], "",
         {"PELMORA_PASSWORD": SECRET}, *ng, [], True),
    ]
    for name, options, stdin, env, code, stdout, stderr_has, warned in sent:
        result = run("set-network", MAC, "--user", "admin", *options, "--dhcp", *to_sim,
                     stdin=stdin, env=env)
        expect(name, result, code, stdout, stderr_has, warned)

    # Refused before anything is sent: a usage error naming the source, never the password.
    refused = [
        ("group may read the file", ["--password-file", group_readable], "", {},
         ["--password-file", "mode 0640", "chmod 600"], False),
        ("others may read the file", ["--password-file", others_readable], "", {},
         ["mode 0604"], False),
        ("missing file", ["--password-file", missing], "", {}, ["No such file"], False),
        ("empty file", ["--password-file", empty], "", {}, ["is empty"], False),
        ("directory", ["--password-file", directory], "", {}, ["is a directory"], False),
        ("empty standard input", ["--password-stdin"], "", {}, ["standard input ended"], False),
        ("too short from standard input", ["--password-stdin"], "abc\n", {},
         ["--password-stdin: must be 4 to 16 characters"], False),
        ("too long in the environment", [], "", {"PELMORA_PASSWORD": SECRET * 2},
         ["PELMORA_PASSWORD: must be 4 to 16 characters"], False),
        ("framing byte in a file", ["--password-file", secret_file("stx", "ab\x02cd\n")], "",
         {}, ["control bytes"], False),
        ("no source", [], "", {}, ["--password is required"], False),
        ("empty environment is no source", [], "", {"PELMORA_PASSWORD": ""},
         ["--password is required"], False),
        ("option and file", ["--password", SECRET, "--password-file", private], "", {},
         ["excludes"], False),
        ("file and standard input", ["--password-file", private, "--password-stdin"],
         SECRET + "\n", {}, ["excludes"], False),
    ]
    for name, options, stdin, env, stderr_has, warned in refused:
        for command in (["set-network", MAC, "--dhcp"], ["reboot", MAC]):
            result = run(*command, "--user", "admin", *options, *to_listener, stdin=stdin, env=env)
            expect(f"{command[0]}, {name}", result, 2, "", stderr_has, warned)
            check(nothing_arrives(listener), f"{command[0]}, {name}: a datagram was sent")

    # The PPPoE password: from its own three places, the administrator's line of standard input
    # first. The re-typed password on the command line shows which value was read ("Password
    # Error" when it differs) and earns the warning itself.
    pppoe_cases = [
        ("both from standard input", ["--password-stdin", "--pppoe-password-stdin"],
         f"{SECRET}\n{PPPOE}\n", {}, PPPOE, *ok),
        ("PPPoE file", ["--password-file", private, "--pppoe-password-file",
                        secret_file("pppoe", PPPOE + "\n")], "", {}, PPPOE, *ok),
        ("PPPoE environment", [], "", {"PELMORA_PASSWORD": SECRET,
                                       "PELMORA_PPPOE_PASSWORD": PPPOE}, PPPOE, *ok),
        ("PPPoE option over environment", ["--password-stdin", "--pppoe-password", PPPOE],
         SECRET + "\n", {"PELMORA_PPPOE_PASSWORD": WRONG}, PPPOE, *ok),
        ("re-typed differs from the environment's", ["--password-stdin"], SECRET + "\n",
         {"PELMORA_PPPOE_PASSWORD": PPPOE}, WRONG, 1, "Password Error\n"),
    ]
    for name, options, stdin, env, retyped, code, stdout in pppoe_cases:
        result = run("set-pppoe", PPPOE_MAC, "--on", "--pppoe-user", "someone", "--user", "admin",
                     *options, "--pppoe-retype", retyped, *to_sim, stdin=stdin, env=env)
        expect(name, result, code, stdout, [], True)
    result = run("set-pppoe", PPPOE_MAC, "--on", "--pppoe-user", "someone", "--user", "admin",
                 "--password-stdin", "--pppoe-password-stdin", *to_listener, stdin=SECRET + "\n")
    expect("no line left for the PPPoE password", result, 2, "",
           ["--pppoe-password-stdin: standard input ended"])
    check(nothing_arrives(listener), "no line left for the PPPoE password: a datagram was sent")

    # Dry runs of every command that takes a password, each from a hidden place: the request
    # in words, without a password, and no warning.
    plan = secret_file("plan.csv", f"mac,webPort\n{MAC},8081\n", 0o644)
    dry_runs = [
        ("set-network", MAC, "--dhcp"),
        ("set-bandwidth", MAC, "unlimited"),
        ("reboot", MAC),
        ("set-pppoe", PPPOE_MAC, "--on", "--pppoe-user", "someone", "--pppoe-password-stdin"),
        ("apply-plan", plan),
    ]
    for command in dry_runs:
        result = run(*command, "--user", "admin", "--password-stdin", "--dry-run", *to_sim,
                     stdin=f"{SECRET}\n{PPPOE}\n")
        expect(f"{command[0]} --dry-run", result, 0, None)
        check(result.stdout.startswith(("Would send", MAC)),
              f"{command[0]} --dry-run: {result.stdout!r}")

    result = run("history")
    expect("history", result, 0, None)
    check(MAC in result.stdout and PPPOE_MAC in result.stdout, f"history: {result.stdout!r}")
    for root, _, files in os.walk(state):
        for file in files:
            with open(os.path.join(root, file), encoding="latin-1") as f:
                outputs.append((f"change log {file}", f.read()))

    # Neither as typed nor as the Base64 a request carries.
    encoded = [base64.b64encode(f"{name}:{secret}".encode()).decode()
               for name in ("admin", "someone") for secret in ALL_SECRETS]
    for name, text in outputs:
        for secret in (*ALL_SECRETS, *encoded):
            check(secret not in text, f"{name}: a password was shown: {text!r}")
listener.close()

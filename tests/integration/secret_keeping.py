#!/usr/bin/env python3
"""A password given to pelmora-cli, on 127.0.0.1: a mistyped option never prints its value;
at the hidden prompt of a terminal, Ctrl-C or kill gives the terminal its echo back; a typed
password is not shown and leaves the process unable to write a core file."""

import os
import pty
import resource
import select
import signal
import subprocess
import termios
import time

from harness import bare_listener, check, nothing_arrives, parse_programs, run_cli

args = parse_programs()
SECRET, MAC = "Xy9Secret1", "02:50:4D:00:00:01"
listener, to_listener = bare_listener()
SEND = ["set-bandwidth", MAC, "2.0", "--user", "admin", *to_listener]

for arguments, words in [
        ([*SEND, "--pasword", SECRET], "Unknown option: --pasword\n"),
        ([*SEND, f"--pasword={SECRET}", f"-p{SECRET}"], "Unknown options: --pasword, -p\n"),
        (["history", SECRET], "1 unexpected argument\n"),
        (["set-time", MAC, "--pc", "--password", SECRET], "set-time takes no password")]:
    result = run_cli(args.cli, *arguments)
    check(result.returncode == 2 and words in result.stderr and
          SECRET not in result.stdout + result.stderr and nothing_arrives(listener),
          f"{arguments[:2]}: {result.returncode} {result.stderr!r}")

# /proc shows the core file limit (not the dumpable flag) to a reader running as root.
HARD = resource.getrlimit(resource.RLIMIT_CORE)[1]


def core_files_allowed(pid):
    with open(f"/proc/{pid}/limits") as limits:
        return HARD != 0 and "Max core file size        0 " not in limits.read()


def echoing(fd):
    return bool(termios.tcgetattr(fd)[3] & termios.ECHO)


def at_prompt():
    master, terminal = pty.openpty()
    cli = subprocess.Popen([args.cli, *SEND, "--password-stdin"], stdin=terminal,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_CORE, (HARD, HARD)))
    deadline = time.monotonic() + 10
    while echoing(terminal) and time.monotonic() < deadline:
        time.sleep(0.01)
    check(not echoing(terminal), "no hidden prompt")
    return cli, master, terminal


for ending in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
    cli, master, terminal = at_prompt()
    cli.send_signal(ending)
    code = cli.wait(timeout=10)
    check(code == -ending and echoing(terminal), f"{ending.name}: exit {code}, echo still off")

cli, master, terminal = at_prompt()
os.write(master, (SECRET + "\n").encode())
check(select.select([listener], [], [], 10)[0], "the typed password's request was not sent")
allowed = core_files_allowed(cli.pid)
shown = os.read(master, 4096) if select.select([master], [], [], 0.2)[0] else b""
cli.terminate()
cli.wait(timeout=10)
check(not allowed and SECRET.encode() not in shown and echoing(terminal),
      f"typed at the prompt: core files allowed {allowed}, shown {shown!r}")
print("secret keeping: ok")

#!/usr/bin/env python3
"""What becomes of a password that pelmora-cli is given, on 127.0.0.1: a mistyped option never
prints the value after it; once a password is read the process cannot be dumped (so no core
file holds it); and a hidden prompt ended by Ctrl-C or kill gives the terminal its echo back."""

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

SECRET = "Xy9Secret1"
MAC = "02:50:4D:00:00:01"
listener, to_listener = bare_listener()

# Mistyped: whatever shape the option takes, only its name is said; a stray value is counted.
# (arguments, words on stderr)
mistyped = [
    (["set-bandwidth", MAC, "2.0", "--user", "admin", "--pasword", SECRET, *to_listener],
     "Unknown option: --pasword\n"),
    (["set-network", MAC, "--dhcp", "--user", "admin", f"--pasword={SECRET}", *to_listener],
     "Unknown option: --pasword\n"),
    (["reboot", MAC, "--user", "admin", "--password-stdin", "--pppoe-password", SECRET,
      *to_listener], "Unknown option: --pppoe-password\n"),
    (["set-bandwidth", MAC, "2.0", "--user", "admin", f"-p{SECRET}", "--pasword", SECRET,
      *to_listener], "Unknown options: -p, --pasword\n"),
    (["history", SECRET], "1 unexpected argument\n"),
    (["set-time", MAC, "--pc", "--password", SECRET, *to_listener], "set-time takes no password"),
]
for arguments, words in mistyped:
    result = run_cli(args.cli, *arguments)
    said = result.stdout + result.stderr
    check(result.returncode == 2 and words in result.stderr and SECRET not in said,
          f"{arguments[:2]}: {result.returncode} {said!r}")
    check(nothing_arrives(listener), f"{arguments[:2]}: a datagram was sent")

# The processes below start with core files allowed, as far as this one may allow them.
CORE_HARD_LIMIT = resource.getrlimit(resource.RLIMIT_CORE)[1]


def allow_core_files():
    resource.setrlimit(resource.RLIMIT_CORE, (CORE_HARD_LIMIT, CORE_HARD_LIMIT))


def core_file_limit(pid):
    """The soft limit on core file size that /proc shows: the one outward sign of a process made
    non-dumpable (the dumpable flag itself shows nowhere in /proc to a reader running as root)."""
    with open(f"/proc/{pid}/limits") as limits:
        return next(line.split()[4] for line in limits if line.startswith("Max core file size"))


def dumpable(pid):
    """Whether core files are allowed; True where no limit above 0 could be given anyway."""
    return CORE_HARD_LIMIT != 0 and core_file_limit(pid) != "0"


# Read from standard input, the administrator password makes the process non-dumpable while it
# waits for a camera that never answers.
cli = subprocess.Popen([args.cli, "set-bandwidth", MAC, "2.0", "--user", "admin",
                        "--password-stdin", *to_listener], stdin=subprocess.PIPE,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                       preexec_fn=allow_core_files)
cli.stdin.write((SECRET + "\n").encode())
cli.stdin.close()
check(select.select([listener], [], [], 10)[0], "the request was not sent")
listener.recv(65536)
was_dumpable = dumpable(cli.pid)
cli.terminate()
cli.wait(timeout=10)
check(not was_dumpable, "core files still allowed after the password was read")


def echoing(fd):
    return bool(termios.tcgetattr(fd)[3] & termios.ECHO)


def at_prompt():
    """pelmora-cli asking for the administrator password on a terminal of its own."""
    master, terminal = pty.openpty()
    cli = subprocess.Popen([args.cli, "set-bandwidth", MAC, "2.0", "--user", "admin",
                            "--password-stdin", *to_listener], stdin=terminal,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           preexec_fn=allow_core_files)
    prompt = b""
    deadline = time.monotonic() + 10
    while b"password: " not in prompt and time.monotonic() < deadline:
        if select.select([cli.stderr], [], [], 0.1)[0]:
            prompt += os.read(cli.stderr.fileno(), 256)
    # The prompt is written before the echo goes off: wait for that too.
    while echoing(terminal) and time.monotonic() < deadline:
        time.sleep(0.01)
    check(not echoing(terminal), f"no hidden prompt: {prompt!r}")
    check(dumpable(cli.pid) or CORE_HARD_LIMIT == 0,
          "core files refused before a password was read")
    return cli, master, terminal


# Ended at the prompt, by Ctrl-C or by kill: the terminal echoes again and the process ends by
# that signal, as it would have.
for ending in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
    cli, master, terminal = at_prompt()
    cli.send_signal(ending)
    code = cli.wait(timeout=10)
    check(code == -ending and echoing(terminal),
          f"{ending.name} at the prompt: exit {code}, echo {echoing(terminal)}")
    os.close(master)
    os.close(terminal)

# Typed at the prompt: not shown, and the process is not dumpable once it has the line.
cli, master, terminal = at_prompt()
os.write(master, (SECRET + "\n").encode())
check(select.select([listener], [], [], 10)[0], "the typed password's request was not sent")
listener.recv(65536)
was_dumpable = dumpable(cli.pid)
shown = os.read(master, 4096) if select.select([master], [], [], 0.2)[0] else b""
cli.terminate()
cli.wait(timeout=10)
check(not was_dumpable and SECRET.encode() not in shown and echoing(terminal),
      f"typed at the prompt: dumpable {was_dumpable}, shown {shown!r}")
print("secret keeping: ok")

#!/usr/bin/env python3
"""Writes a help2man include file with a COMMANDS section: each subcommand that
`pelmora-cli --help` lists, from that subcommand's own --help, so the manual page never drifts
from the program.

    cli-commands.py PATH_TO_PELMORA_CLI OUTPUT
"""
import re
import subprocess
import sys


def run_help(program, *words):
    result = subprocess.run([program, *words, "--help"], capture_output=True, text=True,
                            check=True, env={"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"})
    # The usage line names the program as it was started; the page names it plainly.
    return result.stdout.replace(program, "pelmora-cli")


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def subcommands(main_help):
    names, inside = [], False
    for line in main_help.splitlines():
        if line == "Subcommands:":
            inside = True
        elif inside and not line.strip():
            break
        elif inside:
            match = re.match(r"^  (\S+)", line)
            if match:
                names.append(match.group(1))
    return names


def footer(help_text):
    """The text after the last section of entries: lines at column 0 after the usage line."""
    lines = help_text.splitlines()
    tail = []
    for line in reversed(lines):
        if line.startswith(" ") or line.endswith(":"):
            break
        tail.insert(0, line)
    return "\n".join(l for l in tail if l.strip())


def section(name, help_text, common_footer):
    lines = help_text.splitlines()
    out = [f'.SS "{roff(name)}"']
    usage_at = next(i for i, l in enumerate(lines) if l.startswith("Usage:"))
    description = " ".join(l.strip() for l in lines[:usage_at] if l.strip())
    out += [roff(description), ".PP", ".B Usage:", roff(lines[usage_at][len("Usage: "):])]
    own_footer = footer(help_text)
    entry = None
    for line in lines[usage_at + 1:]:
        if not line.strip():
            continue
        if not line.startswith(" "):
            if line.endswith(":"):
                out += [".PP", f".I {roff(line)}"]
            continue
        body = line.rstrip()
        if re.match(r"^ {4,}\S", body) and entry is not None:
            out.append(roff(body.strip()))
            continue
        match = re.match(r"^  (\S.*?)(?: {2,}(\S.*))?$", body)
        if not match:
            continue
        entry = match.group(1)
        out += [".TP", f"\\fB{roff(entry)}\\fR"]
        if match.group(2):
            out.append(roff(match.group(2)))
    if own_footer and own_footer != common_footer:
        out += [".PP", roff(own_footer)]
    return out


def main():
    program, output = sys.argv[1], sys.argv[2]
    main_help = run_help(program)
    common_footer = footer(main_help)
    lines = ["[COMMANDS]",
             "Each command below is given as \\fBpelmora\\-cli\\fR \\fICOMMAND\\fR "
             "[\\fIOPTIONS\\fR]; \\fBpelmora\\-cli\\fR \\fICOMMAND\\fR \\fB\\-\\-help\\fR "
             "prints the same text."]
    for name in subcommands(main_help):
        lines += section(name, run_help(program, name), common_footer)
    with open(output, "w", encoding="utf-8") as file:
        file.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()

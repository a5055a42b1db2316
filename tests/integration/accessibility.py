#!/usr/bin/env python3
"""The window as a screen reader meets it, through the desktop's accessibility bus (AT-SPI):
five simulated cameras, the window on a virtual display with its accessibility switched on, all
inside a private network namespace with a session bus of its own.

(a) On each of the four pages every input control (edit, list, grid, radio button, check box,
    button, ...) has a name, and the status bar reads the count of cameras.
(b) A camera's MAC and address are read from the Network list's cells, found under their
    column headers, and the row clicked in (c) reads as selected.
(c) One camera's HTTP port is changed by the accessibility interface alone: its row is found
    and clicked where the bus says it is, the fields are found by their names and filled, OK is
    pressed through its action, and the result box's text is read. The simulator's next reply
    must carry the new port."""

import argparse
import fcntl
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import SKIP, Simulator, check, discover_json, reexec_in_namespace  # noqa: E402

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
CAMERAS = 5
NEW_PORT = "8081"


def parse():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sim", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--window", required=True)
    parser.add_argument("--netns", required=True)
    return parser.parse_args()


def missing_tools():
    missing = [tool for tool in ("dbus-run-session", "Xvfb") if shutil.which(tool) is None]
    if not os.path.exists(BUS_LAUNCHER):
        missing.append(BUS_LAUNCHER)
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        missing.append("pyatspi (python3-pyatspi) for " + sys.executable)
    return missing


def enter_private_session(args):
    """Runs this script again in a private network namespace, then under a session bus of its
    own, where the accessibility bus is started on demand."""
    reexec_in_namespace(args.netns)
    if os.environ.get("PELMORA_A11Y_SESSION") == "1":
        return
    missing = missing_tools()
    if missing:
        print("skipped: not installed:", ", ".join(missing))
        sys.exit(SKIP)
    # The display comes first: the accessibility registry, started by the bus on demand, clicks
    # through it and must find it in its environment.
    xvfb, display = start_display()
    try:
        env = {**os.environ, "PELMORA_A11Y_SESSION": "1", "DISPLAY": display}
        result = subprocess.run(["dbus-run-session", "--", sys.executable] + sys.argv, env=env)
    finally:
        xvfb.terminate()
        xvfb.wait(timeout=10)
    sys.exit(result.returncode)


# Display numbers this run holds, kept open until it ends.
_claims = []


def start_display():
    """Xvfb on a display number no other run holds; returns the process and the DISPLAY value.

    An X server started in a network namespace of its own leaves no lock that a server in
    another namespace heeds (two such servers both take :0), so the number is claimed here with
    a lock file that every run of this test, in whatever namespace, sees."""
    for number in range(120, 220):
        claim = open(f"/tmp/pelmora-display-{number}.lock", "w")
        try:
            fcntl.flock(claim, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except OSError:
            claim.close()
            continue
        if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
            claim.close()
            continue
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x900x24", "-nolisten",
                                 "tcp", "-displayfd", str(write_end)], pass_fds=(write_end,),
                                stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            ready = numbers.readline().strip()
        if ready == str(number):
            _claims.append(claim)
            return xvfb, f":{number}"
        xvfb.wait(timeout=10)
        claim.close()
    check(False, "Xvfb did not start on any free display")


def wait_for(what, probe, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.1)
    check(False, "timed out waiting for " + what)


def main():
    args = parse()
    enter_private_session(args)
    import pyatspi

    inputs = {pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_ENTRY,
              pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_TABLE,
              pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_RADIO_BUTTON,
              pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_SPIN_BUTTON,
              pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_SLIDER}

    def descendants(node):
        for child in node:
            if child is None:
                continue
            yield child
            yield from descendants(child)

    def showing(node):
        return node.getState().contains(pyatspi.STATE_SHOWING)

    def find(root, role, name=None, shown=True):
        for node in descendants(root):
            if node.getRole() == role and (name is None or node.name == name) and \
                    (not shown or showing(node)):
                return node
        return None

    def do_action(node, *names):
        action = node.queryAction()
        for i in range(action.nActions):
            if action.getName(i) in names:
                action.doAction(i)
                return
        check(False, f"{node.name!r} offers none of {names}")

    def set_text(node, text):
        if node.getRole() == pyatspi.ROLE_PASSWORD_TEXT:
            # A password field takes no text from the bus; it is typed into, as a person does.
            node.queryComponent().grabFocus()
            wait_for(f"{node.name!r} to take the focus",
                     lambda: node.getState().contains(pyatspi.STATE_FOCUSED), timeout=5)
            # It does not read back either: OK coming on below shows it took the characters.
            for character in text:
                pyatspi.Registry.generateKeyboardEvent(ord(character), None, pyatspi.KEY_SYM)
            return
        node.queryEditableText().setTextContents(text)
        wait_for(f"{node.name!r} to read {text!r}",
                 lambda: node.queryText().getText(0, -1) == text, timeout=5)

    def click(node):
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2,
                                            pyatspi.MOUSE_B1C)

    display = os.environ["DISPLAY"]
    config = tempfile.mkdtemp()
    window = None
    try:
        with Simulator(args.sim, "--bind", "127.0.0.1", "--port", "0", "--cameras",
                       str(CAMERAS)) as sim:
            target = ["--target", f"127.0.0.1:{sim.port}"]
            env = {**os.environ, "DISPLAY": display, "QT_QPA_PLATFORM": "xcb",
                   "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_ACCESSIBILITY": "1",
                   "XDG_CONFIG_HOME": config}
            window = subprocess.Popen([args.window, *target], env=env)
            starts = 1

            def application():
                nonlocal window, starts
                # Now and then, on a busy machine, the window's first connection to the new
                # display is refused and Qt gives up at once: start it again, twice at most.
                if window.poll() is not None and starts < 3:
                    print(f"the window ended with {window.returncode} at start; starting it again",
                          flush=True)
                    window = subprocess.Popen([args.window, *target], env=env)
                    starts += 1
                desktop = pyatspi.Registry.getDesktop(0)
                for app in desktop:
                    if app is not None and app.name == "pelmora" and app.childCount > 0:
                        return app
                return None

            app = wait_for("the window on the accessibility bus", application)
            listed = {c["mac"]: c for c in discover_json(args.cli, "--wait", "0.5", *target)}
            mac = sorted(listed)[0]

            def camera_cell():
                grid = find(app, pyatspi.ROLE_TABLE)
                return grid and find(grid, pyatspi.ROLE_TABLE_CELL, mac)

            wait_for("the cameras in the list", camera_cell)

            # (a) Every input control of every page has a name.
            seen = {}
            grids_shown = []
            for title in ("Network", "Bandwidth control", "Date time", "PPPoE"):
                tab = find(app, pyatspi.ROLE_PAGE_TAB, title)
                check(tab is not None, f"no tab {title!r}")
                do_action(tab, "Press", "press", "click")
                # Each page has a grid of its own: the page is up once a new one shows.
                grid = wait_for(f"the {title} page", lambda: (
                    lambda shown: shown if shown and shown.path not in grids_shown else None)(
                        find(app, pyatspi.ROLE_TABLE)))
                grids_shown.append(grid.path)
                for node in descendants(app):
                    if node.getRole() in inputs and showing(node):
                        seen[node.path] = (title, node.getRoleName(), node.name)
            unnamed = sorted(v for v in seen.values() if not v[2])
            print(f"input controls: {len(seen)}, unnamed: {len(unnamed)}")
            check(not unnamed, f"controls without a name: {unnamed}")
            grids = {v[2] for v in seen.values() if v[1] == "table"}
            check(grids == {"Cameras"}, f"the grids are called {grids}")
            # The status bar is found by its name and read by its labels' text.
            status = find(app, pyatspi.ROLE_STATUS_BAR, "Status")
            check(status is not None, "no status bar named 'Status'")
            counted = [n.name for n in descendants(status)]
            check(f"{CAMERAS} cameras" in counted, f"the status bar reads {counted}")

            # Back on the Network page, the first camera's row.
            do_action(find(app, pyatspi.ROLE_PAGE_TAB, "Network"), "Press", "press", "click")
            cell = wait_for("the camera's row", camera_cell)

            # (b) The camera's cells read as the list shows them, found under their column
            # headers: its MAC, and its address ("DHCP" for a camera that takes one).
            grid = find(app, pyatspi.ROLE_TABLE)
            table = grid.queryTable()
            headers = [table.getColumnHeader(c).name for c in range(table.nColumns)]
            check("MAC address" in headers and "IP address" in headers,
                  f"the Network list's headers read {headers}")
            rows = [r for r in range(table.nRows)
                    if table.getAccessibleAt(r, headers.index("MAC address")).name == mac]
            check(len(rows) == 1, f"{mac} stands on rows {rows} of the Network list")
            read = table.getAccessibleAt(rows[0], headers.index("IP address")).name
            expected = "DHCP" if listed[mac]["dhcp"] == 1 else listed[mac]["ipAddress"]
            check(read == expected, f"the camera's address reads {read!r}, not {expected!r}")
            print(f"the Network list reads {mac} at {read}")

            # (c) The first camera's HTTP port, changed through the bus alone.
            click(cell)
            wait_for("the clicked camera's row to be announced as selected",
                     lambda: table.isRowSelected(rows[0]), timeout=5)
            address = find(app, pyatspi.ROLE_PANEL, "IP address")
            check(address is not None, "no address field named 'IP address'")
            first_octet = find(address, pyatspi.ROLE_TEXT, "octet 1 of 4", shown=False)
            check(first_octet is not None, "the address field has no box 'octet 1 of 4'")
            wait_for("the selected camera's address in the form",
                     lambda: first_octet.queryText().getText(0, -1) != "")
            do_action(find(app, pyatspi.ROLE_RADIO_BUTTON, "Other HTTP port"), "Toggle",
                      "toggle", "Press", "press")
            port = find(app, pyatspi.ROLE_TEXT, "HTTP port No.")
            wait_for("the port field to open",
                     lambda: port.getState().contains(pyatspi.STATE_ENABLED), timeout=5)
            set_text(port, NEW_PORT)
            set_text(find(app, pyatspi.ROLE_TEXT, "Administrator name"), "admin")
            set_text(find(app, pyatspi.ROLE_PASSWORD_TEXT, "Administrator password"),
                     "password")
            ok = find(app, pyatspi.ROLE_PUSH_BUTTON, "OK")
            wait_for("OK to be enabled", lambda: ok.getState().contains(pyatspi.STATE_ENABLED),
                     timeout=5)
            do_action(ok, "Press", "press")

            def result_box():
                for node in descendants(app):
                    if node.getRole() == pyatspi.ROLE_ALERT and node.name == "Information":
                        return node
                return None

            box = wait_for("the result box", result_box, timeout=15)
            texts = [n.name for n in descendants(box) if n.getRole() == pyatspi.ROLE_LABEL]
            check("Setting OK" in texts, f"the result box reads {texts}")
            do_action(find(box, pyatspi.ROLE_PUSH_BUTTON, "OK"), "Press", "press")

            camera = {c["mac"]: c for c in discover_json(args.cli, "--wait", "0.5",
                                                         *target)}[mac]
            check(camera["webPort"] == int(NEW_PORT),
                  f"the camera now reports port {camera['webPort']}")
            print("HTTP port changed through the accessibility bus; the camera reports",
                  camera["webPort"])
    finally:
        if window is not None:
            window.terminate()
            window.wait(timeout=10)
        shutil.rmtree(config, ignore_errors=True)


main()

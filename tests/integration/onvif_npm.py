#!/usr/bin/env python3
"""A client we did not write, the npm package onvif (pinned), discovers pelmora-sim's ONVIF
cameras by multicast in a camera LAN of our own namespaces and reads their device information
and network interfaces, with WS-Security (one camera's clock 3 h behind) and with HTTP Digest.
If it cannot, the simulator is wrong. Camera 2 is first moved by our own set-network --onvif: the
package reads back the address we set, an independent check that what we send is what the
standard means. The package is installed with npm into the build tree
before the test enters its namespace; without npm or its registry the test is skipped."""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile

from harness import SKIP, Simulator, camera_lan, check, in_private_namespace, reexec_in_namespace

PACKAGE = "onvif@0.8.3"
PC, CAMERAS = "10.79.0.1", "10.79.0.2"

parser = argparse.ArgumentParser()
for option in ("--sim", "--cli", "--netns", "--npm-dir"):
    parser.add_argument(option, required=True)
args = parser.parse_args()
modules = os.path.join(args.npm_dir, "node_modules")

if not in_private_namespace():
    if shutil.which("node") is None or shutil.which("npm") is None:
        print("skipped: node or npm is not installed")
        sys.exit(SKIP)
    if not os.path.exists(os.path.join(modules, "onvif", "package.json")):
        os.makedirs(args.npm_dir, exist_ok=True)
        install = subprocess.run(["npm", "install", "--no-audit", "--no-fund", "--no-save",
                                  "--prefix", args.npm_dir, PACKAGE],
                                 capture_output=True, text=True, timeout=300)
        if install.returncode != 0:
            print(f"skipped: npm could not install {PACKAGE} (no registry?):",
                  install.stderr.strip()[-500:])
            sys.exit(SKIP)
    reexec_in_namespace(args.netns)

subprocess.run(["ip", "route", "del", "default"], check=False)
holder, enter = camera_lan("npm", f"{PC}/24", f"{CAMERAS}/24")
# The package sends its probe to the group by the routing table alone.
subprocess.run(["ip", "route", "add", "224.0.0.0/4", "dev", "tool-npm"], check=True)
try:
    with Simulator(args.sim, "--bind", CAMERAS, "--port", "0", "--cameras", "0", "--onvif", "3",
                   "--onvif-clock-offset-of", "1=-10800", "--onvif-address", "10.79.0.50/255.255.255.0",
                   prefix=enter):
        moved = subprocess.run(
            [args.cli, "set-network", "02:4F:4E:00:00:02", "--onvif", "--onvif-probe", CAMERAS,
             "--user", "admin", "--ip", "10.79.0.61", "--mask", "255.255.255.0", "--gateway",
             "10.79.0.254", "--verify-timeout", "1"],
            capture_output=True, text=True, timeout=60,
            env={**os.environ, "PELMORA_PASSWORD": "password",
                 "PELMORA_STATE_DIR": tempfile.mkdtemp()})
        # Served where it was bound, the simulated camera is not at its new address.
        check(moved.stdout == "Setting OK\nnot confirmed\n", f"set-network --onvif: {moved}")
        client = subprocess.run(
            ["node", os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                  "onvif_npm_client.js"), "tool-npm", "admin", "password"],
            capture_output=True, text=True, timeout=60, env={**os.environ, "NODE_PATH": modules})
        check(client.returncode == 0, f"node failed: {client.stderr}")
        seen = json.loads(client.stdout.strip().splitlines()[-1])
finally:
    holder.kill()
    holder.wait()

check(len(seen["cameras"]) == 3, f"expected 3 cameras, found {seen}")
for camera in seen["cameras"]:
    check("error" not in camera, f"camera at port {camera['port']}: {camera.get('error')}")
cameras = sorted(seen["cameras"], key=lambda camera: camera["interfaces"][0]["info"]["hwAddress"])
manufacturers = ["Sample Optics", "Ex\u00e4mple & S\u00f6hne <Imaging>", "Testbed Vision"]
for number, camera in enumerate(cameras, 1):
    check(camera["hostname"] == CAMERAS, f"camera {number} reached at {camera['hostname']}")
    check(camera["information"]["manufacturer"] == manufacturers[number - 1],
          f"camera {number}: {camera['information']}")
    interface = camera["interfaces"][0]
    check(interface["info"]["hwAddress"] == f"02:4f:4e:00:00:0{number}",
          f"camera {number}: {interface['info']}")
    expected = {1: "10.79.0.50", 2: "10.79.0.61"}
    if number in expected:
        check(interface["IPv4"]["config"]["manual"]["address"] == expected[number],
              f"camera {number} address: {interface['IPv4']}")
digest = seen["digestOnly"]
check("error" not in digest, f"HTTP Digest only: {digest}")
same = [camera for camera in cameras if camera["port"] == seen["digestPort"]]
check(digest["information"] == same[0]["information"], f"HTTP Digest only: {digest}")
print("the npm onvif package reads the simulated cameras: ok")

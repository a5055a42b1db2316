#!/usr/bin/env python3
"""Every request our tools send an ONVIF camera, as the simulated camera received it, validated
against the device management service's own WSDL and schemas by a validator we did not write
(python3-xmlschema, XSD 1.1): set-network --onvif with every part changed, then back to DHCP with
the name and time servers from DHCP, set-time --onvif and reboot --onvif, and the readings that
go before them. The WSDL and its schemas are read from --schemas DIR (the public ONVIF copies, not
kept in this repository: their licence allows no change, and they are large); the four schemas
they import from the internet are stood in for, in a temporary folder, by what the device
service's elements use of them. Skipped without python3-xmlschema or the schemas."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from harness import Simulator, camera_lan, check, parse_programs, run_cli, sh

try:
    import xmlschema
except ImportError:
    print("python3-xmlschema is not installed: skipped")
    sys.exit(77)

SOAP = "{http://www.w3.org/2003/05/soap-envelope}"
DEVICE = "{http://www.onvif.org/ver10/device/wsdl}"
# The schemas onvif.xsd imports from the internet, stood in for by what it uses of them.
STANDINS = {
    "http://www.w3.org/2005/05/xmlmime": '<xs:attribute name="contentType" type="xs:string"/>',
    "http://www.w3.org/2003/05/soap-envelope": "{Envelope}{Fault}",
    "http://docs.oasis-open.org/wsn/b-2": "{FilterType}{NotificationMessageHolderType}",
    "http://www.w3.org/2004/08/xop/include":
        '<xs:element name="Include"><xs:complexType><xs:anyAttribute processContents="skip"/>'
        "</xs:complexType></xs:element>",
}
OPEN_TYPE = ('<xs:complexType name="{}"><xs:sequence><xs:any minOccurs="0" '
             'maxOccurs="unbounded" processContents="skip"/></xs:sequence>'
             '<xs:anyAttribute processContents="skip"/></xs:complexType>')


def device_schema(folder):
    """The WSDL's embedded schema as a file of its own, beside onvif.xsd with local imports."""
    shutil.copy(os.path.join(SCHEMAS, "common.xsd"), folder)
    with open(os.path.join(SCHEMAS, "onvif.xsd"), encoding="utf-8") as source:
        onvif = source.read()
    for n, (namespace, content) in enumerate(STANDINS.items()):
        onvif = re.sub(r'(<xs:import namespace="%s" schemaLocation=")[^"]*' % re.escape(namespace),
                       rf"\g<1>standin{n}.xsd", onvif)
        content = re.sub(r"\{(\w+)\}", lambda m: OPEN_TYPE.format(m.group(1)), content)
        with open(os.path.join(folder, f"standin{n}.xsd"), "w", encoding="utf-8") as standin:
            standin.write('<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" '
                          f'targetNamespace="{namespace}">{content}</xs:schema>\n')
    with open(os.path.join(folder, "onvif.xsd"), "w", encoding="utf-8") as out:
        out.write(onvif)
    with open(os.path.join(SCHEMAS, "devicemgmt.wsdl"), encoding="utf-8") as source:
        wsdl = source.read()
    schema = wsdl[wsdl.index("<xs:schema"):wsdl.index("</xs:schema>") + len("</xs:schema>")]
    schema = re.sub(r'schemaLocation="[^"]*onvif.xsd"', 'schemaLocation="onvif.xsd"', schema)
    opening = wsdl[wsdl.index("<wsdl:definitions"):]
    opening = opening[:opening.index(">")]
    declared = schema[:schema.index(">")]
    extra = "".join(f' xmlns:{p}="{u}"' for p, u in re.findall(r'xmlns:(\w+)="([^"]+)"', opening)
                    if f"xmlns:{p}=" not in declared)
    path = os.path.join(folder, "devicemgmt.xsd")
    with open(path, "w", encoding="utf-8") as out:
        out.write(schema.replace("<xs:schema", "<xs:schema" + extra, 1))
    return xmlschema.XMLSchema11(path)


PC, CAMERAS, MOVED = "10.78.6.1", "10.78.6.2", "10.78.6.50"
FIRST, SECOND = "02:4F:4E:00:00:01", "02:4F:4E:00:00:02"
args = parse_programs(broadcasts=True, extra=[("--schemas", "")])
SCHEMAS = args.schemas
if not SCHEMAS or not os.path.isfile(os.path.join(SCHEMAS, "devicemgmt.wsdl")):
    print("the device management WSDL and its schemas were not found: skipped")
    sys.exit(77)
subprocess.run(["ip", "route", "del", "default"], check=False)
holder, enter = camera_lan("onvifxsd", f"{PC}/24", f"{CAMERAS}/24")
STATE = tempfile.mkdtemp()
RECORDED = tempfile.mkdtemp()
ENV = {"PELMORA_PASSWORD": "password", "PELMORA_STATE_DIR": STATE}


def cli(*arguments):
    done = run_cli(args.cli, *arguments, "--user", "admin", env=ENV)
    check(done.returncode == 0, f"{arguments}: {done}")


try:
    schema = device_schema(tempfile.mkdtemp())
    sh(*enter, "ip", "addr", "add", f"{MOVED}/24", "dev", "cam-onvifxsd")
    with Simulator(args.sim, "--bind", "0.0.0.0", "--port", "0", "--cameras", "0", "--onvif",
                   "2", "--onvif-address", f"{CAMERAS}/255.255.255.0/10.78.6.254",
                   "--onvif-record-requests", RECORDED, prefix=enter):
        cli("set-network", FIRST, "--onvif", "--ip", MOVED, "--mask", "255.255.255.0",
            "--gateway", "10.78.6.253", "--dns1", "9.9.9.9", "--dns2", "1.1.1.1", "--port",
            "8080", "--ntp", "ntp.example.org", "--verify-timeout", "10")
        cli("set-network", SECOND, "--onvif", "--dhcp", "--dns-auto", "--ntp-dhcp")
        cli("set-time", SECOND, "--onvif", "--pc", "--zone", "9")
        cli("reboot", SECOND, "--onvif")

    operations, invalid, reordered = set(), [], None
    for name in sorted(os.listdir(RECORDED)):
        with open(os.path.join(RECORDED, name), encoding="utf-8") as received:
            envelope = ET.fromstring(received.read())
        body = envelope.find(f"{SOAP}Body")
        request = list(body)[0] if body is not None and len(body) else None
        if request is None or not request.tag.startswith(DEVICE):
            invalid.append(f"{name}: no device service request in its body")
            continue
        operations.add(request.tag[len(DEVICE):])
        if request.tag == f"{DEVICE}SetDNS" and len(request) > 1:
            reordered = ET.fromstring(ET.tostring(request))
            reordered.append(reordered[0])
            reordered.remove(reordered[0])
        errors = [str(e.reason) for e in schema.iter_errors(ET.tostring(request, "unicode"))]
        if errors:
            invalid.append(f"{name} {request.tag[len(DEVICE):]}: {errors[0]}")
    check(invalid == [], "requests the schema refuses:\n" + "\n".join(invalid))
    # The validator does judge order: FromDHCP after the servers is refused.
    check(reordered is not None and not schema.is_valid(ET.tostring(reordered, "unicode")),
          "a SetDNS with its children out of order passes")
    sent = {"SetNetworkInterfaces", "SetNetworkDefaultGateway", "SetDNS", "SetNetworkProtocols",
            "SetNTP", "SetSystemDateAndTime", "SystemReboot", "GetNetworkInterfaces"}
    check(sent <= operations, f"received {sorted(operations)}")
finally:
    holder.kill()
    holder.wait()
print(f"onvif schema: {len(os.listdir(RECORDED))} requests valid")

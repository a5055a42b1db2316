// The Set requests for an ONVIF camera: only what changes is sent, and each request is built of
// the device management service's elements, in the namespaces its schema puts them in.
#include "onvif/DeviceSettings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <utility>

#include "onvif/Namespaces.h"
#include "onvif/SoapEnvelope.h"
#include "onvif/XmlDocument.h"
#include "settings/onvif/OnvifClockRules.h"
#include "settings/onvif/OnvifNetworkRules.h"

namespace pelmora::onvif {
namespace {

using namespace std::chrono_literals;
using Op = SettingOperation;

// A camera as reading it leaves it: fixed 10.2.0.20/24, gateway and name server 10.2.0.1, web
// port 80.
OnvifCamera readCamera() {
    OnvifCamera camera;
    camera.interfaceToken = "eth<0>";
    camera.dhcp = false;
    camera.ipAddress = Ipv4{10, 2, 0, 20};
    camera.prefixLength = 24;
    camera.gateway = Ipv4{10, 2, 0, 1};
    camera.dnsAuto = false;
    camera.dns = {Ipv4{10, 2, 0, 1}};
    camera.webPort = 80;
    return camera;
}

// A change with only the parts `set` gives.
template <class Set>
NetworkChange changing(Set set) {
    NetworkChange change;
    set(change);
    return change;
}

std::vector<Op> operationsOf(const std::vector<SettingRequest>& requests) {
    std::vector<Op> operations;
    for (const auto& r : requests) {
        operations.push_back(r.operation);
    }
    return operations;
}

// The text at a path below the request's body element: the first step in the device namespace,
// every later one in the schema namespace (as the WSDL's element and type definitions put them).
class Parsed {
  public:
    explicit Parsed(const SettingRequest& request)
        : document_(XmlDocument::parse(makeSettingEnvelope(request, nullptr))) {}

    std::optional<XmlElement> body() const {
        const auto envelope = soapEnvelope(document_);
        return envelope && envelope->body ? envelope->body->firstChild() : std::nullopt;
    }
    std::string at(std::initializer_list<const char*> path) const {
        auto element = body();
        bool first = true;
        for (const char* name : path) {
            if (!element) {
                return "<missing>";
            }
            element = element->child(first ? ns::kDeviceWsdl : ns::kSchema, name);
            first = false;
        }
        return element ? element->text() : "<missing>";
    }

  private:
    XmlDocument document_;
};

TEST(DeviceSettings, onlyThePartsThatChangeAreSentInterfaceLast) {
    const struct {
        const char* what;
        NetworkChange change;
        std::vector<Op> sent;
    } cases[] = {
        {"nothing asked", {}, {}},
        {"the same address again",
         changing([](NetworkChange& c) {
             c.dhcp = false;
             c.ipAddress = Ipv4{10, 2, 0, 20};
         }),
         {}},
        {"a new address keeps the prefix read",
         changing([](NetworkChange& c) {
             c.ipAddress = Ipv4{10, 2, 0, 30};
         }),
         {Op::SetNetworkInterfaces}},
        {"DHCP", changing([](NetworkChange& c) { c.dhcp = true; }), {Op::SetNetworkInterfaces}},
        {"the same gateway and port",
         changing([](NetworkChange& c) {
             c.gateway = Ipv4{10, 2, 0, 1};
             c.httpPort = 80;
         }),
         {}},
        {"everything",
         changing([](NetworkChange& c) {
             c.dhcp = false;
             c.ipAddress = Ipv4{10, 3, 0, 5};
             c.prefixLength = 16;
             c.gateway = Ipv4{10, 3, 0, 1};
             c.dnsFromDhcp = false;
             c.dns = std::vector<Ipv4>{Ipv4{10, 3, 0, 1}, Ipv4{9, 9, 9, 9}};
             c.httpPort = 8080;
             c.ntpServer = "ntp.example.net";
         }),
         {Op::SetDNS, Op::SetNTP, Op::SetNetworkDefaultGateway, Op::SetNetworkProtocols,
          Op::SetNetworkInterfaces}},
        {"name servers from DHCP",
         changing([](NetworkChange& c) { c.dnsFromDhcp = true; }),
         {Op::SetDNS}},
        {"the same name server by hand",
         changing([](NetworkChange& c) {
             c.dns = std::vector<Ipv4>{Ipv4{10, 2, 0, 1}};
         }),
         {}},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto requests = networkRequests(readCamera(), c.change, &error);
        ASSERT_TRUE(requests) << c.what << ": " << error;
        EXPECT_EQ(operationsOf(*requests), c.sent) << c.what;
    }
}

TEST(DeviceSettings, changesThatCannotBeWrittenAreRefused) {
    OnvifCamera unread = readCamera();
    unread.interfaceToken.clear();
    OnvifCamera noPrefix = readCamera();
    noPrefix.dhcp = true;
    noPrefix.prefixLength.reset();
    const struct {
        OnvifCamera camera;
        NetworkChange change;
    } cases[] = {
        {unread, changing([](NetworkChange& c) { c.dhcp = true; })},
        {noPrefix, changing([](NetworkChange& c) {
             c.dhcp = false;
             c.ipAddress = Ipv4{10, 2, 0, 9};
         })},
        {readCamera(), changing([](NetworkChange& c) { c.prefixLength = 33; })},
        {readCamera(), changing([](NetworkChange& c) { c.httpPort = 0; })},
        {readCamera(), changing([](NetworkChange& c) {
             c.dns = std::vector<Ipv4>{Ipv4{1, 1, 1, 1}, Ipv4{1, 0, 0, 1}, Ipv4{8, 8, 8, 8}};
         })},
        {readCamera(), changing([](NetworkChange& c) { c.ntpServer = "ntp.example.net<script>"; })},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(networkRequests(c.camera, c.change, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(DeviceSettings, eachRequestCarriesTheServiceElementsAndTheValues) {
    std::string error;
    const auto requests = networkRequests(readCamera(), changing([](NetworkChange& c) {
                                              c.ipAddress = Ipv4{10, 2, 0, 30};
                                              c.prefixLength = 23;
                                              c.gateway = Ipv4{};
                                              c.dns = std::vector<Ipv4>{Ipv4{9, 9, 9, 9}};
                                              c.httpPort = 8080;
                                              c.ntpServer = "192.168.7.1";
                                          }),
                                          &error);
    ASSERT_TRUE(requests) << error;
    ASSERT_EQ(requests->size(), 5u);
    const Parsed dns((*requests)[0]), ntp((*requests)[1]), gateway((*requests)[2]),
        protocols((*requests)[3]), interface((*requests)[4]);
    EXPECT_EQ(dns.at({"FromDHCP"}), "false");
    EXPECT_EQ(dns.at({"DNSManual", "Type"}), "IPv4");
    EXPECT_EQ(dns.at({"DNSManual", "IPv4Address"}), "9.9.9.9");
    EXPECT_EQ(ntp.at({"NTPManual", "IPv4Address"}), "192.168.7.1");
    EXPECT_EQ(gateway.at({"IPv4Address"}), "<missing>") << "no gateway: none listed";
    EXPECT_TRUE(gateway.body()->is(ns::kDeviceWsdl, "SetNetworkDefaultGateway"));
    EXPECT_EQ(protocols.at({"NetworkProtocols", "Name"}), "HTTP");
    EXPECT_EQ(protocols.at({"NetworkProtocols", "Port"}), "8080");
    EXPECT_EQ(interface.at({"InterfaceToken"}), "eth<0>") << "the token goes back escaped";
    EXPECT_EQ(interface.at({"NetworkInterface", "IPv4", "Manual", "Address"}), "10.2.0.30");
    EXPECT_EQ(interface.at({"NetworkInterface", "IPv4", "Manual", "PrefixLength"}), "23");
    EXPECT_EQ(interface.at({"NetworkInterface", "IPv4", "DHCP"}), "false");

    const Parsed clock(clockRequest(std::chrono::sys_days{2026y / 12 / 9} + 14h + 5min + 7s,
                                    "CET-1CEST,M3.5.0,M10.5.0/3"));
    EXPECT_EQ(clock.at({"DateTimeType"}), "Manual");
    EXPECT_EQ(clock.at({"TimeZone", "TZ"}), "CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(clock.at({"UTCDateTime", "Date", "Year"}), "2026");
    EXPECT_EQ(clock.at({"UTCDateTime", "Date", "Day"}), "9");
    EXPECT_EQ(clock.at({"UTCDateTime", "Time", "Hour"}), "14");
    EXPECT_EQ(clock.at({"UTCDateTime", "Time", "Second"}), "7");
    EXPECT_TRUE(Parsed(rebootRequest()).body()->is(ns::kDeviceWsdl, "SystemReboot"));
}

TEST(DeviceSettings, answersSayWhetherTheCameraTookTheRequest) {
    const auto envelope = [](std::string body) {
        return std::string(R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" )") +
               R"(xmlns:tds="http://www.onvif.org/ver10/device/wsdl"><s:Body>)" + body +
               "</s:Body></s:Envelope>";
    };
    EXPECT_EQ(readRebootNeeded(envelope("<tds:SetNetworkInterfacesResponse><tds:RebootNeeded>"
                                        "true</tds:RebootNeeded>"
                                        "</tds:SetNetworkInterfacesResponse>"))
                  .value,
              true);
    EXPECT_EQ(readRebootMessage(envelope("<tds:SystemRebootResponse><tds:Message>Rebooting\n"
                                         "now</tds:Message></tds:SystemRebootResponse>"))
                  .value,
              "Rebooting?now");
    EXPECT_EQ(readSettingAccepted(envelope("<tds:SetDNSResponse/>"), Op::SetDNS).value, true);
    const auto fault = readSettingAccepted(
        envelope(R"(<s:Fault><s:Code><s:Value>s:Sender</s:Value></s:Code><s:Reason><s:Text )"
                 R"(xml:lang="en">Invalid &lt;address&gt;</s:Text></s:Reason></s:Fault>)"),
        Op::SetNetworkDefaultGateway);
    EXPECT_FALSE(fault.value);
    ASSERT_TRUE(fault.fault);
    EXPECT_EQ(fault.fault->reason, "Invalid <address>");
}

// The Network page's checks on the camera as it would be, with the page's words; a mask with a
// gap has no prefix; only a new fixed address is looked for afterwards.
TEST(DeviceSettings, thePagesRulesJudgeTheCameraAsItWouldBe) {
    EXPECT_EQ(prefixOfMask(Ipv4{255, 255, 254, 0}), 23);
    EXPECT_EQ(prefixOfMask(Ipv4{0, 0, 0, 0}), 0);
    EXPECT_EQ(prefixOfMask(Ipv4{255, 0, 255, 0}), std::nullopt);
    const struct {
        NetworkChange change;
        std::optional<std::string_view> refusal;
        std::optional<Ipv4> moved;
    } cases[] = {
        {changing([](NetworkChange& c) {
             c.dns = {Ipv4{9, 9, 9, 9}};
         }),
         {},
         {}},
        {changing([](NetworkChange& c) {
             c.gateway = Ipv4{10, 9, 0, 1};
         }),
         "Gateway address Error",
         {}},
        {changing([](NetworkChange& c) {
             c.ipAddress = Ipv4{10, 2, 0, 255};
         }),
         "Subnetmask Error", Ipv4{10, 2, 0, 255}},
        {changing([](NetworkChange& c) {
             c.ipAddress = Ipv4{10, 2, 0, 31};
         }),
         {},
         Ipv4{10, 2, 0, 31}},
        {changing([](NetworkChange& c) {
             c.ipAddress = Ipv4{10, 2, 0, 20};
         }),
         {},
         {}},
        {changing([](NetworkChange& c) { c.httpPort = 81; }), "HTTP port No. Error", {}},
        {changing([](NetworkChange& c) { c.dhcp = true; }), {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkOnvifNetworkChange(readCamera(), c.change), c.refusal);
        EXPECT_EQ(movedToAddress(readCamera(), c.change), c.moved);
    }
}

// The clock goes in UTC with a POSIX zone: whole hours from set-time's --zone, or this PC's own
// rule from TZ or the end of its zone file.
TEST(DeviceSettings, clocksGoInUtcWithAPosixZone) {
    EXPECT_EQ(posixZoneOfHours(9), "UTC-9");
    EXPECT_EQ(posixZoneOfHours(-5), "UTC+5");
    EXPECT_EQ(posixZoneOfHours(0), "UTC0");
    EXPECT_EQ(utcOfValues({"ymd", "9", "3001021200003"}),
              std::chrono::sys_days{2030y / 1 / 2} + 3h);
    EXPECT_EQ(pcPosixZone("JST-9", "/nonexistent"), "JST-9");
    EXPECT_EQ(pcPosixZone(":Europe/Berlin", "/nonexistent"), "") << "a zone name is no rule";
    // A version 2 zone file: binary tables, then the rule on a line of its own at the end.
    const auto zoneFile = ::testing::TempDir() + "Berlin.tzif";
    std::ofstream(zoneFile, std::ios::binary)
        << std::string("TZif2\0\0\x01\x01\n", 10) << "\nCET-1CEST,M3.5.0,M10.5.0/3\n";
    EXPECT_EQ(pcPosixZone(nullptr, zoneFile), "CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(pcPosixZone(nullptr, "/etc/hostname"), "") << "not a zone file";
}

}  // namespace
}  // namespace pelmora::onvif

// The device service: requests with a password digest checked against vectors computed
// independently (openssl dgst -sha1 -binary | base64), and the answers of cameras read into
// what the lists show, faults and nonsense included.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "Samples.h"
#include "onvif/DeviceReplies.h"
#include "onvif/DeviceRequests.h"
#include "onvif/Namespaces.h"
#include "onvif/NetworkInterfaces.h"
#include "protocol/Base64.h"

namespace pelmora::onvif {
namespace {

using namespace std::chrono;

std::string soap(const char* name) {
    return sample("onvif_soap", name);
}

TEST(UsernameToken, digestAndCreatedTimeMatchIndependentVectors) {
    EXPECT_EQ(passwordDigest(*base64Decode("LKqI6G/AikKCQrN0zqZFlg=="), "2010-09-16T07:50:45Z",
                             "userpassword"),
              "tuOSpGlFlIXsozq4HFNeeGeFLEI=");
    const struct {
        sys_seconds time;
        const char* text;
    } times[] = {
        {sys_seconds{}, "1970-01-01T00:00:00Z"},
        {sys_days{2024y / 2 / 29} + 23h + 59min + 58s, "2024-02-29T23:59:58Z"},
        {sys_days{2026y / 7 / 1} + 9h + 30min + 5s, "2026-07-01T09:30:05Z"},
    };
    for (const auto& t : times) {
        EXPECT_EQ(formatCreated(t.time), t.text);
    }
}

TEST(DeviceRequests, eachOperationInTheDeviceNamespaceWithTheTokenWhenGiven) {
    std::string nonce;
    for (char byte = 0; byte < 16; ++byte) {
        nonce += byte;
    }
    const UsernameToken token{"ad<m>in&", "p\xC3\xA4sswo\xCC\x88rd&<", nonce,
                              sys_days{2026y / 7 / 1} + 9h + 30min + 5s};
    EXPECT_EQ(soapAction(DeviceOperation::GetDNS), "http://www.onvif.org/ver10/device/wsdl/GetDNS");
    for (int i = 0; i <= static_cast<int>(DeviceOperation::GetScopes); ++i) {
        const auto operation = static_cast<DeviceOperation>(i);
        SCOPED_TRACE(operationName(operation));
        const auto plain = soapEnvelope(XmlDocument::parse(makeDeviceRequest(operation)));
        const auto signedDocument = XmlDocument::parse(makeDeviceRequest(operation, &token));
        const auto withToken = soapEnvelope(signedDocument);
        ASSERT_TRUE(plain && withToken);
        EXPECT_FALSE(plain->header);
        EXPECT_TRUE(withToken->body->firstChild()->is(ns::kDeviceWsdl, operationName(operation)));
        const auto usernameToken = withToken->header->child(ns::kSecurity, "Security")
                                       ->child(ns::kSecurity, "UsernameToken");
        ASSERT_TRUE(usernameToken);
        EXPECT_EQ(usernameToken->child(ns::kSecurity, "Username")->text(), "ad<m>in&");
        const auto password = usernameToken->child(ns::kSecurity, "Password");
        EXPECT_EQ(password->attribute("Type"), ns::kPasswordDigest);
        EXPECT_EQ(password->text(), "yK119dsW5BpDi1XtgFqFRWeCaiM=");
        EXPECT_EQ(usernameToken->child(ns::kSecurity, "Nonce")->text(), "AAECAwQFBgcICQoLDA0ODw==");
        EXPECT_EQ(usernameToken->child(ns::kSecurityUtility, "Created")->text(),
                  "2026-07-01T09:30:05Z");
    }
}

std::string clockReply(const char* date, const char* time) {
    return std::string(
               R"(<e:Envelope xmlns:e="http://www.w3.org/2003/05/soap-envelope" )"
               R"(xmlns:t="http://www.onvif.org/ver10/schema"><e:Body>)"
               R"(<GetSystemDateAndTimeResponse xmlns="http://www.onvif.org/ver10/device/wsdl">)"
               R"(<SystemDateAndTime><t:UTCDateTime>)") +
           time + date +
           "</t:UTCDateTime></SystemDateAndTime></GetSystemDateAndTimeResponse></e:Body></"
           "e:Envelope>";
}

TEST(DeviceReplies, theCameraClockOnlyWhenItIsARealTime) {
    const auto reply = readSystemDateAndTime(soap("system-date-and-time.xml"));
    ASSERT_TRUE(reply.value);
    EXPECT_EQ(reply.value->utc, sys_days{2024y / 2 / 29} + 23h + 59min + 58s);
    EXPECT_EQ(reply.value->dateTimeType, "NTP");
    EXPECT_EQ(reply.value->timeZone, "CET-1CEST,M3.5.0,M10.5.0/3");
    const char* time =
        "<t:Time><t:Hour>12</t:Hour><t:Minute>0</t:Minute><t:Second>60</t:Second></t:Time>";
    const struct {
        const char* date;
        bool known;
    } dates[] = {
        {"<t:Date><t:Year>2023</t:Year><t:Month>12</t:Month><t:Day>31</t:Day></t:Date>", true},
        {"<t:Date><t:Year>2023</t:Year><t:Month>2</t:Month><t:Day>29</t:Day></t:Date>", false},
        {"<t:Date><t:Year>2023</t:Year><t:Month>13</t:Month><t:Day>1</t:Day></t:Date>", false},
        {"<t:Date><t:Year>2023</t:Year><t:Month>-4294967295</t:Month><t:Day>1</t:Day></t:Date>",
         false},
        {"<t:Date><t:Year>2023</t:Year><t:Month>1</t:Month></t:Date>", false},
        {"<t:Date><t:Year>two</t:Year><t:Month>1</t:Month><t:Day>1</t:Day></t:Date>", false},
    };
    for (const auto& d : dates) {
        const auto read = readSystemDateAndTime(clockReply(d.date, time));
        ASSERT_TRUE(read.value) << read.problem;
        EXPECT_EQ(read.value->utc.has_value(), d.known) << d.date;
    }
    EXPECT_FALSE(
        readSystemDateAndTime(clockReply(dates[0].date,
                                         "<t:Time><t:Hour>24</t:Hour>"
                                         "<t:Minute>0</t:Minute><t:Second>0</t:Second></t:Time>"))
            .value->utc);
}

TEST(DeviceReplies, whatTheCameraIsAndHowItIsReached) {
    const auto info = readDeviceInformation(soap("device-information.xml")).value;
    ASSERT_TRUE(info);
    EXPECT_EQ(info->manufacturer, "Nordvik & S\xC3\xB8nner");
    EXPECT_EQ(info->model, "NV-4420");
    EXPECT_EQ(info->firmwareVersion, "V5.7.3 build 240115");
    EXPECT_EQ(info->serialNumber, "NV4420-0012<34>");
    EXPECT_EQ(info->hardwareId, "88");

    const auto gateway = readNetworkDefaultGateway(soap("default-gateway.xml")).value;
    const auto dns = readDns(soap("dns.xml")).value;
    const auto protocols = readNetworkProtocols(soap("network-protocols.xml")).value;
    ASSERT_TRUE(gateway && dns && protocols);
    EXPECT_EQ(gateway->ipv4, (std::vector<Ipv4>{{192, 168, 0, 1}}));
    EXPECT_EQ(dns->fromDhcp, false);
    EXPECT_EQ(dns->manual, (std::vector<Ipv4>{{192, 168, 0, 1}, {9, 9, 9, 9}}));
    EXPECT_EQ(dns->dhcp, (std::vector<Ipv4>{{10, 0, 0, 53}}));
    ASSERT_EQ(protocols->size(), 3u);
    EXPECT_EQ(protocols->at(0).name, "HTTP");
    EXPECT_EQ(protocols->at(0).ports, (std::vector<std::uint16_t>{80, 8000}));
    EXPECT_EQ(protocols->at(1).enabled, false);
    EXPECT_EQ(protocols->at(1).ports, (std::vector<std::uint16_t>{443}));
    EXPECT_EQ(readScopes(soap("scopes.xml")).value,
              (std::vector<std::string>{"onvif://www.onvif.org/hardware/NV-4420",
                                        "onvif://www.onvif.org/name/Gate%20North",
                                        "onvif://www.onvif.org/location/Dock%203"}));
}

TEST(NetworkInterfaces, macsInTheCamerasFormAndTheAddressInUse) {
    const auto interfaces = readNetworkInterfaces(soap("network-interfaces.xml")).value;
    ASSERT_TRUE(interfaces);
    ASSERT_EQ(interfaces->size(), 2u);
    const auto& wired = interfaces->at(0);
    EXPECT_EQ(wired.token, "eth0");
    EXPECT_EQ(wired.hardwareAddress->text(), "00:40:8C:1A:2B:3C");
    EXPECT_EQ(wired.dhcp, false);
    EXPECT_EQ(currentIpv4(wired), (PrefixedIpv4{{192, 168, 0, 64}, 24}));
    EXPECT_EQ(wired.linkLocal, (PrefixedIpv4{{169, 254, 12, 34}, 16}));
    const auto& wireless = interfaces->at(1);
    EXPECT_EQ(wireless.enabled, true);
    EXPECT_FALSE(wireless.hardwareAddress);
    EXPECT_EQ(currentIpv4(wireless), (PrefixedIpv4{{10, 2, 0, 7}, std::nullopt}));  // prefix 33

    const struct {
        const char* text;
        const char* mac;
    } macs[] = {
        {"00:0f:7c:12:34:56", "00:0F:7C:12:34:56"},
        {"00-0F-7C-12-34-56", "00:0F:7C:12:34:56"},
        {"000f7c123456", "00:0F:7C:12:34:56"},
        {"000f7c12345", nullptr},
        {"000f7c1234567", nullptr},
        {"00:0f:7c:12:34:5g", nullptr},
        {"0:f:7c:12:34:56", nullptr},
        {"", nullptr},
    };
    for (const auto& m : macs) {
        const auto mac = readHardwareAddress(m.text);
        EXPECT_EQ(mac ? mac->text() : "", m.mac ? m.mac : "") << m.text;
    }
}

TEST(DeviceReplies, faultsAndWrongAnswersAreToldApart) {
    const auto refused = readDeviceInformation(soap("fault-not-authorized.xml"));
    EXPECT_FALSE(refused.value);
    ASSERT_TRUE(refused.fault);
    EXPECT_TRUE(refused.fault->notAuthorized());
    EXPECT_EQ(refused.fault->code, (QualifiedName{std::string(ns::kSoap12), "Sender"}));
    EXPECT_EQ(refused.fault->subcodes,
              (std::vector<QualifiedName>{{std::string(ns::kError), "NotAuthorized"}}));
    EXPECT_EQ(refused.fault->reason, "Sender not Authorized <check the password>");
    EXPECT_TRUE(readNetworkInterfaces(soap("fault-not-authorized.xml")).fault->notAuthorized());

    const auto old = readScopes(soap("fault-soap11.xml"));
    ASSERT_TRUE(old.fault);
    EXPECT_FALSE(old.fault->notAuthorized());
    EXPECT_EQ(old.fault->reason, "Action not supported");

    const struct {
        std::string bytes;
        const char* problem;
    } wrong[] = {
        {soap("device-information.xml"), "no GetDNSResponse in the body"},
        {"<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>", "has a DOCTYPE"},
        {std::string(kMaxXmlBytes + 1, ' '), "too large"},
        {"<html><body>401</body></html>", "not a SOAP envelope"},
        {"<s:Envelope xmlns:s='http://www.w3.org/2003/05/soap-envelope'/>", "no SOAP body"},
    };
    for (const auto& w : wrong) {
        const auto reply = readDns(w.bytes);
        EXPECT_FALSE(reply.value || reply.fault);
        EXPECT_EQ(reply.problem, w.problem);
    }
}

}  // namespace
}  // namespace pelmora::onvif

#pragma once
// The namespace URIs the messages are built with and read by. Readers match elements by these,
// never by the prefixes a device happened to choose.

#include <string_view>

namespace pelmora::onvif::ns {

inline constexpr std::string_view kSoap12 = "http://www.w3.org/2003/05/soap-envelope";
// Older firmware sometimes answers in a SOAP 1.1 envelope.
inline constexpr std::string_view kSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";

// WS-Discovery comes in two versions: the 2005 draft, which the camera standard names and
// which nearly every camera answers, and the OASIS 2009 standard. Each travels with its own
// version of WS-Addressing.
inline constexpr std::string_view kDiscovery2005 =
    "http://schemas.xmlsoap.org/ws/2005/04/discovery";
inline constexpr std::string_view kAddressing2004 =
    "http://schemas.xmlsoap.org/ws/2004/08/addressing";
inline constexpr std::string_view kDiscovery2009 =
    "http://docs.oasis-open.org/ws-dd/ns/discovery/2009/01";
inline constexpr std::string_view kAddressing2005 = "http://www.w3.org/2005/08/addressing";

inline constexpr std::string_view kNetworkWsdl = "http://www.onvif.org/ver10/network/wsdl";
inline constexpr std::string_view kDeviceWsdl = "http://www.onvif.org/ver10/device/wsdl";
inline constexpr std::string_view kSchema = "http://www.onvif.org/ver10/schema";
inline constexpr std::string_view kError = "http://www.onvif.org/ver10/error";

inline constexpr std::string_view kSecurity =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
inline constexpr std::string_view kSecurityUtility =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd";
inline constexpr std::string_view kPasswordDigest =
    "http://docs.oasis-open.org/wss/2004/01/"
    "oasis-200401-wss-username-token-profile-1.0#PasswordDigest";
inline constexpr std::string_view kBase64Binary =
    "http://docs.oasis-open.org/wss/2004/01/"
    "oasis-200401-wss-soap-message-security-1.0#Base64Binary";

}  // namespace pelmora::onvif::ns

#include "onvif/DeviceRequests.h"

#include "onvif/Namespaces.h"

namespace pelmora::onvif {

std::string_view operationName(DeviceOperation operation) {
    switch (operation) {
        case DeviceOperation::GetSystemDateAndTime:
            return "GetSystemDateAndTime";
        case DeviceOperation::GetDeviceInformation:
            return "GetDeviceInformation";
        case DeviceOperation::GetNetworkInterfaces:
            return "GetNetworkInterfaces";
        case DeviceOperation::GetNetworkDefaultGateway:
            return "GetNetworkDefaultGateway";
        case DeviceOperation::GetDNS:
            return "GetDNS";
        case DeviceOperation::GetNetworkProtocols:
            return "GetNetworkProtocols";
        case DeviceOperation::GetScopes:
            return "GetScopes";
    }
    return "";
}

std::string soapAction(DeviceOperation operation) {
    return std::string(ns::kDeviceWsdl) + "/" + std::string(operationName(operation));
}

std::string makeDeviceRequest(DeviceOperation operation, const UsernameToken* token) {
    std::string request;
    request.reserve(token != nullptr ? 1300 : 300);
    request += R"(<?xml version="1.0" encoding="UTF-8"?>)";
    request += R"(<s:Envelope xmlns:s=")";
    request += ns::kSoap12;
    request += R"(">)";
    if (token != nullptr) {
        request += "<s:Header>";
        request += securityHeader(*token);
        request += "</s:Header>";
    }
    request += R"(<s:Body><tds:)";
    request += operationName(operation);
    request += R"( xmlns:tds=")";
    request += ns::kDeviceWsdl;
    request += R"("/></s:Body></s:Envelope>)";
    return request;
}

}  // namespace pelmora::onvif

#include "simulator/DeviceServiceHandler.h"

#include <optional>

#include "onvif/DeviceRequests.h"
#include "onvif/Namespaces.h"
#include "onvif/SoapEnvelope.h"
#include "onvif/XmlDocument.h"
#include "simulator/DeviceServiceAnswers.h"
#include "simulator/DeviceSettingsApplier.h"
#include "simulator/UsernameTokenCheck.h"

namespace pelmora::sim {
namespace {

using onvif::DeviceOperation;

constexpr int kOk = 200;
constexpr int kBadRequest = 400;
constexpr int kUnauthorized = 401;
constexpr int kNotFound = 404;
constexpr int kMethodNotAllowed = 405;
constexpr int kTooLarge = 413;
constexpr int kServerError = 500;

std::optional<DeviceOperation> operationNamed(const onvif::XmlElement& element) {
    if (element.namespaceUri() != onvif::ns::kDeviceWsdl) {
        return std::nullopt;
    }
    for (int i = 0; i <= static_cast<int>(DeviceOperation::GetScopes); ++i) {
        const auto operation = static_cast<DeviceOperation>(i);
        if (element.localName() == onvif::operationName(operation)) {
            return operation;
        }
    }
    return std::nullopt;
}

// The operations that tell where the services are: open to anyone, as the clock is, since a
// client asks them before it knows anything else.
std::optional<DeviceServiceAnswer> directory(const onvif::XmlElement& element,
                                             std::string_view host) {
    if (element.namespaceUri() != onvif::ns::kDeviceWsdl) {
        return std::nullopt;
    }
    const auto xaddr = "http://" + std::string(host) + std::string(kDeviceServicePath);
    if (element.localName() == "GetServices") {
        return DeviceServiceAnswer{kOk, servicesResponse(xaddr), Challenge::None};
    }
    if (element.localName() == "GetCapabilities") {
        return DeviceServiceAnswer{kOk, capabilitiesResponse(xaddr), Challenge::None};
    }
    return std::nullopt;
}

DeviceServiceAnswer notAuthorized() {
    return {kBadRequest, soapFault("env:Sender", "ter:NotAuthorized", "Sender not Authorized"),
            Challenge::None};
}

DeviceServiceAnswer challenge(Challenge kind) {
    return {kUnauthorized, {}, kind};
}

}  // namespace

DeviceServiceAnswer answerDeviceRequest(OnvifSimCamera& camera, const OnvifCredentials& credentials,
                                        const DeviceServiceRequest& request,
                                        std::chrono::sys_seconds hostNow) {
    if (request.path != kDeviceServicePath) {
        return {kNotFound, {}, Challenge::None};
    }
    if (request.method != "POST") {
        return {kMethodNotAllowed, {}, Challenge::None};
    }
    if (request.bodyTooLarge || request.body.size() > kMaxDeviceRequestBytes) {
        return {kTooLarge, {}, Challenge::None};
    }
    if (camera.faulty) {
        // Markup in the reason: a client must show it as the text it is.
        return {kServerError,
                soapFault("env:Receiver", "ter:Action", "Device <busy> & not answering"),
                Challenge::None};
    }
    const auto document = onvif::XmlDocument::parse(request.body);
    const auto envelope = onvif::soapEnvelope(document);
    const auto content = envelope && envelope->body ? envelope->body->firstChild() : std::nullopt;
    if (!content) {
        return {kBadRequest, soapFault("env:Sender", "ter:WellFormed", "Well-formed Error"),
                Challenge::None};
    }
    if (auto answer = directory(*content, request.host)) {
        return *answer;
    }
    const auto operation = operationNamed(*content);
    const auto setting = settingOperationNamed(*content);
    if (!operation && !setting) {
        return {
            kServerError,
            soapFault("env:Receiver", "ter:ActionNotSupported", "Optional Action Not Implemented"),
            Challenge::None};
    }
    const auto cameraNow = hostNow + camera.clockOffset;
    if (operation == DeviceOperation::GetSystemDateAndTime) {
        return {kOk, operationResponse(*operation, camera, cameraNow), Challenge::None};
    }

    auto digest = request.digest;
    if (camera.refusesCredentials && digest != HttpDigest::Absent) {
        digest = HttpDigest::Invalid;
    }
    if (digest == HttpDigest::Invalid) {
        return challenge(Challenge::Fresh);
    }
    if (digest == HttpDigest::Stale) {
        return challenge(Challenge::Stale);
    }
    auto token =
        checkUsernameToken(envelope->header, credentials.user, credentials.password, cameraNow);
    if (camera.refusesCredentials && token == TokenCheck::Accepted) {
        token = TokenCheck::Refused;
    }
    if (token == TokenCheck::Refused) {
        return notAuthorized();
    }
    if (token == TokenCheck::Absent && digest == HttpDigest::Absent) {
        return challenge(Challenge::Fresh);
    }
    if (setting) {
        const auto applied = applySetting(*setting, *content, camera, hostNow);
        if (!applied.accepted) {
            return {kBadRequest, soapFault("env:Sender", "ter:InvalidArgVal", applied.body),
                    Challenge::None};
        }
        return {kOk, responseEnvelope(applied.body), Challenge::None};
    }
    return {kOk, operationResponse(*operation, camera, cameraNow), Challenge::None};
}

}  // namespace pelmora::sim

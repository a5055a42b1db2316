#include "onvif/OnvifSetter.h"

#include <curl/curl.h>

#include <mutex>

#include "onvif/CameraReadings.h"
#include "onvif/DeviceReplies.h"
#include "onvif/DeviceRequests.h"
#include "onvif/Randomness.h"
#include "onvif/XmlText.h"

namespace pelmora::onvif {
namespace {

constexpr long kUnauthorized = 401;

SettingResult noResponse() {
    return {SettingOutcome::NoResponse, "No Response", {}, false, {}};
}

// A refusal in the camera's own words, shown as plain text; "Setting NG" when it gave none.
SettingResult refusal(const std::optional<SoapFault>& fault) {
    const auto words = fault ? printableUtf8(fault->reason) : std::string{};
    return {SettingOutcome::Refused, words.empty() ? "Setting NG" : words, {}, false, {}};
}

}  // namespace

OnvifSetter::OnvifSetter(std::string serviceAddress, HttpDigest credentials, TransferLimits limits)
    : serviceAddress_(std::move(serviceAddress)),
      credentials_(std::move(credentials)),
      limits_(limits) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

OnvifSetter::Exchange OnvifSetter::exchange(
    const std::string& action, const std::function<std::string(const UsernameToken*)>& body) {
    for (;;) {
        const auto sentAt = std::chrono::system_clock::now();
        // Dated by the camera's clock: a camera refuses a token far from its own time.
        const UsernameToken token{credentials_.user, credentials_.password,
                                  randomBytes(kNonceBytes),
                                  std::chrono::floor<std::chrono::seconds>(sentAt) +
                                      offset_.value_or(std::chrono::seconds{0})};
        SoapTransfer transfer(serviceAddress_, body(&token), action, limits_,
                              digest_ ? &credentials_ : nullptr);
        const auto result = curl_easy_perform(transfer.handle());
        Exchange done{transfer.status(), transfer.answer(), transfer.failure(result)};
        if (done.failure.empty() && done.status == kUnauthorized && !digest_) {
            digest_ = true;  // asked again, answering the camera's Digest challenge
            continue;
        }
        return done;
    }
}

std::chrono::seconds OnvifSetter::clockOffset() {
    if (!offset_) {
        offset_ = std::chrono::seconds{0};
        const auto sentAt = std::chrono::system_clock::now();
        SoapTransfer transfer(serviceAddress_,
                              makeDeviceRequest(DeviceOperation::GetSystemDateAndTime),
                              soapAction(DeviceOperation::GetSystemDateAndTime), limits_, nullptr);
        const auto result = curl_easy_perform(transfer.handle());
        if (transfer.failure(result).empty()) {
            const auto clock = readSystemDateAndTime(transfer.answer());
            if (clock.value && clock.value->utc) {
                offset_ =
                    onvif::clockOffset(*clock.value->utc, sentAt, std::chrono::system_clock::now());
            }
        }
    }
    return *offset_;
}

std::optional<std::vector<NetworkInterface>> OnvifSetter::networkInterfaces() {
    clockOffset();
    const auto done =
        exchange(soapAction(DeviceOperation::GetNetworkInterfaces), [](const UsernameToken* token) {
            return makeDeviceRequest(DeviceOperation::GetNetworkInterfaces, token);
        });
    if (!done.failure.empty()) {
        return std::nullopt;
    }
    return readNetworkInterfaces(done.answer).value;
}

SettingResult OnvifSetter::confirmDevice(const MacAddress& mac) {
    clockOffset();
    const auto done =
        exchange(soapAction(DeviceOperation::GetNetworkInterfaces), [](const UsernameToken* token) {
            return makeDeviceRequest(DeviceOperation::GetNetworkInterfaces, token);
        });
    if (!done.failure.empty()) {
        return noResponse();
    }
    if (done.status == kUnauthorized) {
        return refusal(std::nullopt);
    }
    const auto reply = readNetworkInterfaces(done.answer);
    if (!reply.value) {
        return reply.fault ? refusal(reply.fault) : noResponse();
    }
    std::string others;
    for (const auto& interface : *reply.value) {
        if (interface.hardwareAddress == mac) {
            return {SettingOutcome::Accepted, {}, {}, false, {}};
        }
        if (interface.hardwareAddress) {
            others += (others.empty() ? "" : ", ") + interface.hardwareAddress->text();
        }
    }
    return {SettingOutcome::WrongDevice,
            "Not sent: the device at " + printableUtf8(serviceAddress_) + " is " +
                (others.empty() ? std::string("a device that gives no MAC") : others) + ", not " +
                mac.text(),
            {},
            false,
            {}};
}

SettingResult OnvifSetter::send(const std::vector<SettingRequest>& requests) {
    clockOffset();
    SettingResult result{SettingOutcome::Accepted, "Setting OK", {}, false, {}};
    for (const auto& request : requests) {
        const auto done = exchange(soapAction(request.operation), [&](const UsernameToken* token) {
            return makeSettingEnvelope(request, token);
        });
        if (!done.failure.empty()) {
            auto failed = noResponse();
            failed.taken = result.taken;
            return failed;
        }
        if (done.status == kUnauthorized) {
            auto failed = refusal(std::nullopt);
            failed.taken = result.taken;
            return failed;
        }
        std::optional<SoapFault> fault;
        bool taken = false;
        switch (request.operation) {
            case SettingOperation::SetNetworkInterfaces: {
                const auto reply = readRebootNeeded(done.answer);
                fault = reply.fault;
                taken = reply.value.has_value();
                result.rebootNeeded = reply.value.value_or(false);
                break;
            }
            case SettingOperation::SystemReboot: {
                const auto reply = readRebootMessage(done.answer);
                fault = reply.fault;
                taken = reply.value.has_value();
                result.rebootMessage = reply.value.value_or("");
                break;
            }
            default: {
                const auto reply = readSettingAccepted(done.answer, request.operation);
                fault = reply.fault;
                taken = reply.value.has_value();
                break;
            }
        }
        if (!taken) {
            auto failed = fault ? refusal(fault) : noResponse();
            failed.taken = result.taken;
            return failed;
        }
        result.taken.push_back(request.operation);
        if (request.operation == SettingOperation::SetSystemDateAndTime) {
            // The camera's clock moved: a token dated by the old offset would be refused.
            offset_.reset();
            clockOffset();
        }
    }
    return result;
}

}  // namespace pelmora::onvif

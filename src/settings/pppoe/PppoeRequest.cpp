#include "settings/pppoe/PppoeRequest.h"

#include "protocol/SettingRequest.h"

namespace pelmora {

PppoeAccountVerdict checkPppoeAccount(std::string_view userId, std::string_view password,
                                      std::string_view retyped) {
    if (userId.empty()) {
        return PppoeAccountVerdict::UserIdError;
    }
    if (!password.empty() && password == retyped) {
        return PppoeAccountVerdict::Valid;
    }
    return PppoeAccountVerdict::PasswordError;
}

std::string_view pppoeAccountMessage(PppoeAccountVerdict verdict) {
    switch (verdict) {
        case PppoeAccountVerdict::UserIdError:
            return "UserID Error";
        case PppoeAccountVerdict::PasswordError:
            return "Password Error";
        case PppoeAccountVerdict::Valid:
            break;
    }
    return {};
}

std::string buildPppoeRequest(std::string_view mac, std::string_view name,
                              std::string_view password, const PppoeSettings& s) {
    SettingRequest request(mac);
    request.credentials(name, password);
    if (!s.on) {
        // Switching off carries no account and no DNS, whatever the disabled fields hold.
        return request.field("PPPOEFUNC:", "OFF").finish();
    }
    // A user ID holding a colon is sent as it is; the camera splits at its first colon.
    request.field("PPPOEFUNC:", "ON")
        .field("PPPOEIDPASS:", encodeCredentials(s.userId, s.password));
    if (s.dnsAuto) {
        request.field("PPPOEDNSAUTO:", "ON");
    } else {
        request.field("PPPOEDNSAUTO:", "OFF")
            .field("PPPOEDNS1:", formatIpv4(s.primaryDns))
            .field("PPPOEDNS2:", formatIpv4(s.secondaryDns));
    }
    return request.finish();
}

}  // namespace pelmora

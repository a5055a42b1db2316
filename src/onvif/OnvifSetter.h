#pragma once
// Sending Set requests to one ONVIF camera, one after another, and only to the camera chosen:
// before anything is sent, the device at the service address is asked for its interfaces, and
// unless one of them has the chosen MAC nothing is sent. Each request carries a UsernameToken
// dated by the camera's clock (read first) and goes again with HTTP Digest when the camera asks;
// the password itself never travels. Blocking: callers run it on a thread that may wait (the
// command line, a window's worker).

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "onvif/DeviceSettings.h"
#include "onvif/NetworkInterfaces.h"
#include "onvif/SoapTransfer.h"
#include "protocol/MacAddress.h"

namespace pelmora::onvif {

enum class SettingOutcome {
    Accepted,     // every request taken: "Setting OK"
    Refused,      // the camera said no: its fault text, or "Setting NG"
    NoResponse,   // nothing (or nothing readable) came back in time
    WrongDevice,  // the device at the address is not the chosen camera: nothing sent
};

struct SettingResult {
    SettingOutcome outcome = SettingOutcome::NoResponse;
    // What the person is told: "Setting OK", the camera's fault text (printable), "Setting NG",
    // "No Response", or which device answered instead of the chosen one.
    std::string words;
    // The requests the camera took, in order (a refusal stops the rest).
    std::vector<SettingOperation> taken;
    // The camera must restart to use its new addressing.
    bool rebootNeeded = false;
    // What a restart request answered ("Rebooting in 30 seconds").
    std::string rebootMessage;
};

class OnvifSetter {
  public:
    OnvifSetter(std::string serviceAddress, HttpDigest credentials, TransferLimits limits = {});

    // The camera's clock against this PC's, for the tokens' Created time; read once, at first
    // need, unless given.
    void setClockOffset(std::chrono::seconds offset) { offset_ = offset; }

    // Whether the device at the service address has an interface with this MAC. When it has not,
    // the result says which device answered (or why nothing did) and nothing is to be sent.
    SettingResult confirmDevice(const MacAddress& mac);

    // The requests in order, stopping at the first the camera does not take. Call only after
    // confirmDevice accepted.
    SettingResult send(const std::vector<SettingRequest>& requests);

    // The interfaces as the device reports them now (after a change: to verify it), or nothing.
    std::optional<std::vector<NetworkInterface>> networkInterfaces();

  private:
    struct Exchange {
        long status = 0;
        std::string answer;
        std::string failure;  // "" when an answer came
    };
    Exchange exchange(const std::string& action,
                      const std::function<std::string(const UsernameToken*)>& body);
    std::chrono::seconds clockOffset();

    std::string serviceAddress_;
    HttpDigest credentials_;
    TransferLimits limits_;
    std::optional<std::chrono::seconds> offset_;
    bool digest_ = false;  // the camera asked for HTTP Digest: later requests carry it at once
};

}  // namespace pelmora::onvif

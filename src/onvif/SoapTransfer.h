#pragma once
// One SOAP request to a device service over HTTP, as a libcurl transfer for a multi handle:
// everything a device on the LAN could use against this PC is bounded here. The answer is
// capped, connect and total time are limited, redirects are never followed, no proxy from the
// environment is used (cameras are on the LAN), and the scheme is the one the address names,
// so an http address is never read over anything but http.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

typedef void CURL;
struct curl_slist;

namespace pelmora::onvif {

struct TransferLimits {
    std::chrono::milliseconds connect{3000};
    std::chrono::milliseconds total{8000};
    std::size_t maxAnswerBytes = std::size_t{1} << 20;
};

// A user name and password for HTTP Digest, when the device asks for it with a 401.
struct HttpDigest {
    std::string user;
    std::string password;
};

class SoapTransfer {
  public:
    // `action` goes into the Content-Type, as SOAP 1.2 over HTTP carries it.
    SoapTransfer(const std::string& url, std::string body, const std::string& action,
                 const TransferLimits& limits, const HttpDigest* digest);
    ~SoapTransfer();
    SoapTransfer(const SoapTransfer&) = delete;
    SoapTransfer& operator=(const SoapTransfer&) = delete;

    CURL* handle() const { return handle_; }

    // After the transfer ended with libcurl's `result` (a CURLcode): the answer's HTTP status
    // (0 when none came), its body, and in words why there is no answer ("" when one came).
    long status() const;
    const std::string& answer() const { return answer_; }
    std::string failure(int result) const;

  private:
    static std::size_t take(char* data, std::size_t size, std::size_t count, void* self);

    CURL* handle_ = nullptr;
    curl_slist* headers_ = nullptr;
    std::string body_;
    std::string answer_;
    std::size_t maxAnswerBytes_ = 0;
    bool tooLarge_ = false;
    std::chrono::milliseconds connect_{};
    std::chrono::milliseconds total_{};
};

}  // namespace pelmora::onvif

#include "onvif/SoapTransfer.h"

#include <curl/curl.h>

#include <stdexcept>

namespace pelmora::onvif {
namespace {

bool isHttps(const std::string& url) {
    constexpr std::string_view kHttps = "https://";
    if (url.size() < kHttps.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kHttps.size(); ++i) {
        const char c = url[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kHttps[i]) {
            return false;
        }
    }
    return true;
}

std::string seconds(std::chrono::milliseconds time) {
    const auto tenths = (time.count() + 50) / 100;
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") +
           " s";
}

}  // namespace

SoapTransfer::SoapTransfer(const std::string& url, std::string body, const std::string& action,
                           const TransferLimits& limits, const HttpDigest* digest)
    : handle_(curl_easy_init()),
      body_(std::move(body)),
      maxAnswerBytes_(limits.maxAnswerBytes),
      connect_(limits.connect),
      total_(limits.total) {
    if (handle_ == nullptr) {
        throw std::runtime_error("libcurl could not make a transfer");
    }
    headers_ = curl_slist_append(headers_, ("Content-Type: application/soap+xml; charset=utf-8; "
                                            "action=\"" +
                                            action + "\"")
                                               .c_str());
    // Without this libcurl waits for a "100 Continue" before a body over 1 KiB (any request
    // with a token), which some cameras never send.
    headers_ = curl_slist_append(headers_, "Expect:");
    curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, isHttps(url) ? "https" : "http");
    curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle_, CURLOPT_PROXY, "");
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
    curl_easy_setopt(handle_, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.total.count()));
    curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(handle_, CURLOPT_POSTFIELDS, body_.data());
    curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
    // A declared length over the cap ends the transfer before the body; an undeclared one is
    // cut off by take().
    curl_easy_setopt(handle_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxAnswerBytes_));
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &SoapTransfer::take);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle_, CURLOPT_PRIVATE, this);
    if (isHttps(url)) {
        // Cameras serve certificates they made themselves, which no authority vouches for;
        // checking them would refuse every camera, and the digest is no safer over plain http.
        curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    if (digest != nullptr) {
        curl_easy_setopt(handle_, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_DIGEST));
        curl_easy_setopt(handle_, CURLOPT_USERNAME, digest->user.c_str());
        curl_easy_setopt(handle_, CURLOPT_PASSWORD, digest->password.c_str());
    }
}

SoapTransfer::~SoapTransfer() {
    curl_easy_cleanup(handle_);
    curl_slist_free_all(headers_);
}

std::size_t SoapTransfer::take(char* data, std::size_t size, std::size_t count, void* self) {
    auto& transfer = *static_cast<SoapTransfer*>(self);
    const auto bytes = size * count;
    if (transfer.answer_.size() + bytes > transfer.maxAnswerBytes_) {
        // Fewer bytes taken than given: libcurl ends the transfer.
        transfer.tooLarge_ = true;
        return 0;
    }
    transfer.answer_.append(data, bytes);
    return bytes;
}

long SoapTransfer::status() const {
    long code = 0;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

std::string SoapTransfer::failure(int result) const {
    const auto code = static_cast<CURLcode>(result);
    if (code == CURLE_OK) {
        return {};
    }
    if (tooLarge_ || code == CURLE_FILESIZE_EXCEEDED) {
        return "answer over " + std::to_string(maxAnswerBytes_ >> 10) + " KiB";
    }
    if (code == CURLE_OPERATION_TIMEDOUT) {
        curl_off_t connected = 0;
        curl_easy_getinfo(handle_, CURLINFO_CONNECT_TIME_T, &connected);
        return connected == 0 ? "no connection within " + seconds(connect_)
                              : "no answer within " + seconds(total_);
    }
    return curl_easy_strerror(code);
}

}  // namespace pelmora::onvif

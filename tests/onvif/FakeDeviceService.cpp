#include "FakeDeviceService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>
#include <string_view>

#include "Samples.h"
#include "onvif/Namespaces.h"
#include "onvif/SoapEnvelope.h"
#include "onvif/UsernameToken.h"
#include "protocol/Base64.h"

namespace pelmora::onvif {
namespace {

using namespace std::chrono;

std::string md5Hex(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

// The value of a header, its name in any case; "" when absent.
// (No std::regex: compiling one on several threads at once races in the C++ library's locale.)
std::string header(const std::string& head, const std::string& name) {
    const auto lower = [](std::string text) {
        for (char& c : text) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return text;
    };
    const std::string wanted = "\r\n" + lower(name) + ":";
    const auto at = lower(head).find(wanted);
    if (at == std::string::npos) {
        return {};
    }
    auto start = at + wanted.size();
    while (start < head.size() && head[start] == ' ') {
        ++start;
    }
    return head.substr(start, head.find('\r', start) - start);
}

// The HTTP Digest answer (RFC 2617, qop=auth) checked against kUser and kPassword.
bool digestValid(const std::string& authorization) {
    std::map<std::string, std::string> p;
    std::string_view rest(authorization);
    rest.remove_prefix(std::min(rest.size(), rest.find(' ') + 1));
    while (!rest.empty()) {
        auto item = rest.substr(0, rest.find(','));
        rest.remove_prefix(std::min(rest.size(), item.size() + 1));
        while (!item.empty() && item.front() == ' ') {
            item.remove_prefix(1);
        }
        const auto eq = item.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        auto value = item.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        p[std::string(item.substr(0, eq))] = std::string(value);
    }
    const auto ha1 =
        md5Hex(std::string(FakeDeviceService::kUser) + ":fake:" + FakeDeviceService::kPassword);
    const auto ha2 = md5Hex("POST:" + p["uri"]);
    return authorization.starts_with("Digest ") && p["username"] == FakeDeviceService::kUser &&
           p["response"] ==
               md5Hex(ha1 + ":" + p["nonce"] + ":" + p["nc"] + ":" + p["cnonce"] + ":auth:" + ha2);
}

// A token whose digest holds kPassword and whose Created is within a minute of `cameraNow`.
bool tokenValid(const std::string& body, sys_seconds cameraNow) {
    const auto document = XmlDocument::parse(body);
    const auto envelope = soapEnvelope(document);
    const auto security = envelope && envelope->header
                              ? envelope->header->child(ns::kSecurity, "Security")
                              : std::nullopt;
    const auto token = security ? security->child(ns::kSecurity, "UsernameToken") : std::nullopt;
    if (!token) {
        return false;
    }
    const auto created = token->child(ns::kSecurityUtility, "Created")->text();
    const auto nonce = base64Decode(token->child(ns::kSecurity, "Nonce")->text());
    bool recent = false;
    for (int s = -60; s <= 60; ++s) {
        recent = recent || formatCreated(cameraNow + seconds(s)) == created;
    }
    return recent && nonce &&
           token->child(ns::kSecurity, "Username")->text() == FakeDeviceService::kUser &&
           token->child(ns::kSecurity, "Password")->text() ==
               passwordDigest(*nonce, created, FakeDeviceService::kPassword);
}

std::string clockAnswer(sys_seconds now) {
    const auto days = floor<std::chrono::days>(now);
    const year_month_day date{days};
    const hh_mm_ss time{now - days};
    return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:tt=\"http://www.onvif.org/ver10/schema\" "
           "xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\"><s:Body>"
           "<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime><tt:UTCDateTime><tt:Time>"
           "<tt:Hour>" +
           std::to_string(time.hours().count()) + "</tt:Hour><tt:Minute>" +
           std::to_string(time.minutes().count()) + "</tt:Minute><tt:Second>" +
           std::to_string(time.seconds().count()) + "</tt:Second></tt:Time><tt:Date><tt:Year>" +
           std::to_string(int(date.year())) + "</tt:Year><tt:Month>" +
           std::to_string(unsigned(date.month())) + "</tt:Month><tt:Day>" +
           std::to_string(unsigned(date.day())) +
           "</tt:Day></tt:Date></tt:UTCDateTime></tds:SystemDateAndTime>"
           "</tds:GetSystemDateAndTimeResponse></s:Body></s:Envelope>";
}

std::string response(int status, const std::string& body, const std::string& extra = {}) {
    return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Refused") +
           "\r\nContent-Type: application/soap+xml\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n" + extra + "\r\n" + body;
}

}  // namespace

FakeDeviceService::FakeDeviceService(std::vector<FakeCamera> cameras)
    : cameras_(std::move(cameras)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("fake device service: no socket on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { accept(); });
}

FakeDeviceService::~FakeDeviceService() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    for (auto& thread : threads_) {
        thread.join();
    }
    ::close(listener_);
}

std::string FakeDeviceService::url(std::size_t camera) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/cam/" + std::to_string(camera);
}

void FakeDeviceService::accept() {
    while (!stopping_) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        std::lock_guard lock(mutex_);
        threads_.emplace_back([this, fd] {
            serve(fd);
            ::close(fd);
        });
    }
}

void FakeDeviceService::serve(int fd) {
    std::string input;
    char chunk[4096];
    // Keep-alive: libcurl sends a camera's requests one after another on one connection.
    while (!stopping_) {
        const auto headEnd = input.find("\r\n\r\n");
        const auto length =
            headEnd == std::string::npos
                ? 0
                : std::stoul("0" + header(input.substr(0, headEnd + 2), "Content-Length"));
        if (headEnd != std::string::npos && input.size() >= headEnd + 4 + length) {
            const auto head = input.substr(0, headEnd + 2);
            const auto body = input.substr(headEnd + 4, length);
            input.erase(0, headEnd + 4 + length);
            const auto path = head.substr(head.find(' ') + 1);
            const auto camera = std::stoul(path.substr(5, path.find(' ') - 5));
            const auto out = answer(camera, head, body);
            if (out.empty()) {
                continue;  // hangs: the request is read, never answered
            }
            if (::send(fd, out.data(), out.size(), MSG_NOSIGNAL) < 0) {
                return;
            }
            continue;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) {
            continue;
        }
        const auto n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            return;
        }
        input.append(chunk, static_cast<std::size_t>(n));
    }
}

std::string FakeDeviceService::answer(std::size_t index, const std::string& head,
                                      const std::string& body) {
    const auto& camera = cameras_.at(index);
    const auto cameraNow = floor<seconds>(system_clock::now()) + camera.clockOffset;
    // libcurl sends an empty body first when it expects a Digest challenge.
    const auto tag = body.find("<tds:");
    const auto operation = tag == std::string::npos
                               ? std::string{}
                               : body.substr(tag + 5, body.find_first_of(" />", tag) - tag - 5);
    switch (camera.kind) {
        case FakeKind::Hang:
            return {};
        case FakeKind::Oversize:
            // No length given: only counting what arrives can stop it.
            return "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(2 << 20, ' ');
        case FakeKind::Garbage:
            return response(200, "<html><body>Login</body>");
        case FakeKind::Token:
        case FakeKind::Digest:
            break;
    }
    if (operation == "GetSystemDateAndTime") {
        return response(200, clockAnswer(cameraNow));
    }
    if (camera.kind == FakeKind::Digest && !digestValid(header(head, "Authorization"))) {
        return response(401, "",
                        "WWW-Authenticate: Digest realm=\"fake\", nonce=\"n0nce\", "
                        "qop=\"auth\", algorithm=MD5\r\n");
    }
    if (camera.kind == FakeKind::Token && !tokenValid(body, cameraNow)) {
        return response(400, sample("onvif_soap", "fault-not-authorized.xml"));
    }
    static const std::map<std::string, std::string> kAnswers = {
        {"GetDeviceInformation", "device-information.xml"},
        {"GetNetworkInterfaces", "network-interfaces.xml"},
        {"GetNetworkDefaultGateway", "default-gateway.xml"},
        {"GetDNS", "dns.xml"},
        {"GetNetworkProtocols", "network-protocols.xml"},
        {"GetScopes", "scopes.xml"},
    };
    const auto found = kAnswers.find(operation);
    return found == kAnswers.end() ? response(400, "")
                                   : response(200, sample("onvif_soap", found->second));
}

}  // namespace pelmora::onvif

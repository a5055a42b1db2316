#pragma once
// Device services of cameras on 127.0.0.1, one path each (/cam/N), each answering as its kind
// does; a thread per connection, so a camera that hangs holds up nobody but itself.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pelmora::onvif {

enum class FakeKind {
    Token,     // the readings need a valid UsernameToken dated by the camera's clock
    Digest,    // the readings need HTTP Digest (401 and a challenge without it)
    Hang,      // reads the request, never answers
    Oversize,  // a 2 MiB answer
    Garbage,   // an answer that is not XML
};

struct FakeCamera {
    FakeKind kind = FakeKind::Token;
    std::chrono::seconds clockOffset{0};  // the camera's clock minus the real one
};

class FakeDeviceService {
  public:
    static constexpr const char* kUser = "admin";
    static constexpr const char* kPassword = "Adm1n-Secret";

    explicit FakeDeviceService(std::vector<FakeCamera> cameras);
    ~FakeDeviceService();

    std::string url(std::size_t camera) const;

  private:
    void accept();
    void serve(int fd);
    std::string answer(std::size_t camera, const std::string& head, const std::string& body);

    std::vector<FakeCamera> cameras_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

}  // namespace pelmora::onvif

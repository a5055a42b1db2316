// Arbitrary received datagrams through classification into a camera table, as the receive thread
// hands them over, mixed with the UI thread's operations so that registration, settling, ageing,
// removal and sorting are all reached.
//
// An input is a short script, at most one datagram long (1072 bytes): its NUL-separated chunks
// (a datagram's text never holds a NUL) are dispatched in turn, and a chunk's first byte may add
// a UI operation after it: 'T' ages the table 1 + (byte 1 % 100) times, 'S' sorts by code
// byte 1 % 13, 'R' registers the chunk as a request for the MAC at positions 5 to 21 (where an
// acknowledgement carries it). Chunk k arrives on interface k % 5 (0: not known). The table starts
// empty for every input, so each input replays on its own, and the table's invariants are checked
// after it, among them that each live record still carries the interface of its camera's last
// reply, however records were removed and sorted meanwhile.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "model/CameraTable.h"
#include "protocol/Dispatch.h"
#include "protocol/KeyReader.h"
#include "protocol/Wire.h"

namespace {

using namespace pelmora;

// Enough for a record to reach the removal age; more only slows the fuzzer down.
constexpr int kMaxTicksPerInput = 100;

std::set<std::string, std::less<>> registered;
// MAC of each camera that has replied -> the interface of its last reply.
std::map<std::string, int, std::less<>> interfaceOfCamera;
constexpr int kInterfaces = 5;

class CheckingNotifier final : public TableNotifier {
  public:
    void settingResult(ResultIcon, std::string_view words) override {
        // Touch every byte so that a dangling view is caught.
        for (const char c : words) {
            checksum += static_cast<unsigned char>(c);
        }
    }
    void acknowledged() override {}
    RetryAnswer noResponse(std::string_view mac) override {
        return mac.empty() || (mac[0] & 1) ? RetryAnswer::Retry : RetryAnswer::Cancel;
    }
    unsigned checksum = 0;
};

// Retry sends again exactly a request that was registered.
int checkingSender(std::string_view datagram) {
    if (registered.find(datagram) == registered.end()) {
        __builtin_trap();
    }
    return 0;
}

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void checkInvariants(const CameraTable& table) {
    table.read([](const TableData& d) {
        check(d.count >= 0 && d.count <= kTableSize);
        std::set<std::string_view> macs;
        for (int i = 0; i < kTableSize; ++i) {
            const auto& r = d.records[i];
            if (i < d.count) {
                check(!r.isFree() && r.mac[sizeof r.mac - 1] == '\0');
                check(macs.emplace(r.mac).second);
                check(r.age >= 0 && r.age <= kRemovalAge);
                const auto camera = interfaceOfCamera.find(std::string_view(r.mac));
                check(camera != interfaceOfCamera.end() && camera->second == d.receivedOn[i]);
            } else {
                static const CameraRecord kFree{};
                check(std::memcmp(&r, &kFree, sizeof r) == 0);
                check(d.receivedOn[i] == 0);
            }
            const auto& slot = d.pending[i];
            check(slot.state >= PendingRequest::kDateTimeRefused &&
                  slot.state <= PendingRequest::kNoResponseAt);
        }
        return 0;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CameraTable table;
    static CheckingNotifier notifier;
    static const bool ready = [] {
        table.setNotifier(&notifier);
        table.setSender(checkingSender);
        return true;
    }();
    (void)ready;
    if (size > kMaxDatagram) {
        return 0;
    }
    table.resetTable();
    registered.clear();
    interfaceOfCamera.clear();

    const auto* bytes = reinterpret_cast<const char*>(data);
    int ticksLeft = kMaxTicksPerInput;
    std::size_t pos = 0;
    int chunk = 0;
    do {
        const auto text = datagramText(bytes + pos, size - pos);
        pos += text.size() + 1;
        const int interfaceIndex = chunk++ % kInterfaces;
        dispatchDatagram(text, table, interfaceIndex);
        // The camera the reply names, as the table keys it (cut to its MAC field), if it took it.
        if (classifyDatagram(text).kind == DatagramKind::InfoReply) {
            if (const auto mac = readKey(text, "MAC:"); mac && !mac->empty()) {
                const auto key = mac->substr(0, sizeof(CameraRecord::mac) - 1);
                if (table.findByMac(key)) {
                    interfaceOfCamera[std::string(key)] = interfaceIndex;
                }
            }
        }
        if (text.empty()) {
            continue;
        }
        const auto arg = text.size() > 1 ? static_cast<unsigned char>(text[1]) : 0u;
        switch (text[0]) {
            case 'T':
                for (int n = static_cast<int>(arg % 100) + 1; n > 0 && ticksLeft > 0; --n) {
                    --ticksLeft;
                    table.agingTick();
                }
                break;
            case 'S':
                table.sortByColumn(static_cast<int>(arg % 13));
                break;
            case 'R':
                if (table.registerPending(text.size() > 5 ? text.substr(5, 17) : "", text) >= 0) {
                    registered.emplace(text);
                }
                break;
            default:
                break;
        }
    } while (pos < size);
    checkInvariants(table);
    return 0;
}

#pragma once
// Classifying a received datagram and handing it to whoever keeps the camera table.

#include <optional>
#include <string_view>

namespace pelmora {

enum class ReplyKind { Acknowledgement, Refusal };

// Implemented by the camera table; the protocol layer knows nothing else about it.
class ReplyHandler {
  public:
    virtual ~ReplyHandler() = default;
    // `interfaceIndex`: the kernel's index of the interface the datagram came in on, 0 when not
    // known.
    virtual void infoReply(std::string_view text, int interfaceIndex) = 0;
    // `mac`: bytes 5 to 21 of the datagram (fewer when it is shorter). `messageText`: present only
    // when the datagram is longer than 24 bytes.
    virtual void settlement(ReplyKind kind, std::string_view mac,
                            std::optional<std::string_view> messageText) = 0;
};

enum class DatagramKind { InfoReply, Acknowledgement, Refusal, Other };

struct ClassifiedDatagram {
    DatagramKind kind = DatagramKind::Other;
    std::string_view mac;  // acknowledgements and refusals only
    std::optional<std::string_view> messageText;
};

// "MODEL:" anywhere makes an information reply; otherwise "ACK:" anywhere an acknowledgement;
// otherwise "NAK:" anywhere a refusal. The MAC always comes from positions 5 to 21 and the
// message text from position 23, length − 25 bytes, wherever the key stood.
ClassifiedDatagram classifyDatagram(std::string_view text);

// The received bytes up to the first NUL, as the datagram's text.
std::string_view datagramText(const char* bytes, std::size_t length);

void dispatchDatagram(std::string_view text, ReplyHandler& handler, int interfaceIndex = 0);

}  // namespace pelmora

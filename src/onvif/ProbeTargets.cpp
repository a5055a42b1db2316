#include "onvif/ProbeTargets.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <unordered_set>

namespace pelmora::onvif {
namespace {

constexpr std::uint32_t kFirstNonUnicast = 0xE0000000;  // 224.0.0.0

std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool fail(std::string* error, std::string reason) {
    if (error != nullptr) {
        *error = std::move(reason);
    }
    return false;
}

// The first and last address an entry covers.
struct Span {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
};

bool parseEntry(std::string_view entry, Span& span, std::string* error) {
    const auto quoted = "\"" + std::string(entry) + "\"";
    const auto slash = entry.find('/');
    const auto address = parseIpv4(entry.substr(0, slash));
    if (!address) {
        return fail(error, quoted + " is not an IPv4 address or range (A.B.C.D or A.B.C.D/N)");
    }
    int prefix = 32;
    if (slash != std::string_view::npos) {
        const auto digits = entry.substr(slash + 1);
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), prefix);
        if (digits.empty() || digits.size() > 2 || ec != std::errc{} ||
            end != digits.data() + digits.size() || prefix < 0 || prefix > 32) {
            return fail(error, quoted + ": the prefix length must be 0 to 32");
        }
    }
    const std::uint32_t mask = prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix);
    span.first = ipv4ToNumber(*address) & mask;
    span.last = span.first | ~mask;
    if (span.last >= kFirstNonUnicast || span.first == 0) {
        return fail(error, quoted + (prefix < 32 ? " covers addresses" : " is an address") +
                               " that cannot be probed (0.0.0.0, and 224.0.0.0 and up: "
                               "multicast, reserved and broadcast)");
    }
    if (prefix <= 30) {
        ++span.first;
        --span.last;
    }
    return true;
}

}  // namespace

std::optional<std::vector<Ipv4>> parseProbeTargets(std::string_view list, std::string* error) {
    const auto tooMany = [&] {
        fail(error, "more than " + std::to_string(kMaxProbeTargets) +
                        " addresses: probe fewer, or a range at a time");
        return std::nullopt;
    };
    std::vector<Ipv4> targets;
    std::unordered_set<std::uint32_t> seen;
    std::size_t start = 0;
    while (start <= list.size()) {
        const auto comma = std::min(list.find(',', start), list.size());
        const auto entry = trimSpaces(list.substr(start, comma - start));
        start = comma + 1;
        if (entry.empty()) {
            fail(error, "an empty entry: separate addresses and ranges by single commas");
            return std::nullopt;
        }
        Span span;
        if (!parseEntry(entry, span, error)) {
            return std::nullopt;
        }
        // Counted before it is expanded: 0.0.0.0/1 must not be walked address by address.
        if (std::uint64_t{span.last} - span.first + 1 > kMaxProbeTargets) {
            return tooMany();
        }
        for (std::uint64_t n = span.first; n <= span.last; ++n) {
            if (seen.insert(static_cast<std::uint32_t>(n)).second) {
                if (targets.size() == kMaxProbeTargets) {
                    return tooMany();
                }
                targets.push_back(ipv4FromNumber(static_cast<std::uint32_t>(n)));
            }
        }
    }
    return targets;
}

}  // namespace pelmora::onvif

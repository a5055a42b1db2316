// Arbitrary bytes as a network plan file: the CSV reader and the plan reader behind it, as
// apply-plan reads a file it was given.
//
// Beyond not crashing:
//   - the CSV records written back with the CSV writer read back as the same records;
//   - the rows of the plan that were read, written as a plan and read again, come back without
//     errors and with the same settings (an address of 0.0.0.0 and an absent one are written
//     alike, so addresses are compared that way).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "csv/Csv.h"
#include "plan/PlanCsv.h"

namespace {

using namespace pelmora;

constexpr std::size_t kMaxInput = 4096;

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void checkCsvRoundTrip(std::string_view text) {
    const auto parsed = parseCsv(text);
    if (!parsed.error.empty()) {
        return;
    }
    std::string written;
    std::size_t kept = 0;
    for (const auto& row : parsed.rows) {
        // A record of one empty field is written as a blank line, which holds no record.
        if (row.size() == 1 && row[0].empty()) {
            continue;
        }
        written += formatCsvRow(row);
        ++kept;
    }
    const auto again = parseCsv(written);
    check(again.error.empty() && again.rows.size() == kept);
    std::size_t n = 0;
    for (const auto& row : parsed.rows) {
        if (row.size() == 1 && row[0].empty()) {
            continue;
        }
        check(again.rows[n++] == row);
    }
}

bool sameAddress(const std::optional<Ipv4>& a, const std::optional<Ipv4>& b) {
    return a.value_or(Ipv4{}) == b.value_or(Ipv4{});
}

void checkPlanRoundTrip(const PlanRead& read) {
    if (read.rows.empty()) {
        return;
    }
    const auto again = readPlan(formatPlan(read.rows));
    check(again.errors.empty() && again.rows.size() == read.rows.size());
    for (std::size_t i = 0; i < read.rows.size(); ++i) {
        const auto& a = read.rows[i];
        const auto& b = again.rows[i];
        check(a.mac == b.mac && a.dhcp == b.dhcp && a.dnsAuto == b.dnsAuto &&
              a.webPort == b.webPort);
        check(sameAddress(a.ipAddress, b.ipAddress) && sameAddress(a.subnetMask, b.subnetMask) &&
              sameAddress(a.gateway, b.gateway));
        for (std::size_t d = 0; d < a.dns.size(); ++d) {
            check(sameAddress(a.dns[d], b.dns[d]));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkCsvRoundTrip(text);
    const auto read = readPlan(text);
    for (const auto& error : read.errors) {
        check(!error.empty());
    }
    checkPlanRoundTrip(read);
    return 0;
}

// sortByColumn: keys per column code, direction, tie order and the counting rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "model/CameraTable.h"
#include "model/FixedText.h"
#include "protocol/WireText.h"

namespace pelmora {
namespace {

using test::macFor;

struct Camera {
    std::string mac, ip, model, serial, version, pppoeIp;
};

// Inserted in this order; each column code orders them differently.
const std::vector<Camera> kCameras = {
    {"02:50:4D:00:00:03", "10.0.0.1", "PM-B", "S2", "2.10", "200.0.0.1"},   // A
    {"02:50:4D:00:00:01", "192.168.0.1", "PM-C", "S9", "1.10", "9.9.9.9"},  // B
    {"02:50:4D:00:00:02", "9.255.255.255", "PM-B", "S1", "2.9", ""},        // C
    {"02:50:4D:00:00:0a", "10.0.0.0", "PM-BB", "S0", "2.10a", "10.0.0.0"},  // D
};

class SortTest : public ::testing::Test {
  protected:
    void add(const Camera& c) {
        table.parseInfoReply(test::datagram({{"MODEL:", c.model},
                                             {"MAC:", c.mac},
                                             {"SERIAL:", c.serial},
                                             {"IPADR:", c.ip},
                                             {"SOFTVERSION:", c.version},
                                             {"PPPOEIPADR:", c.pppoeIp}}));
    }
    // The camera letters ("A" for kCameras[0], ...) in table order.
    std::string order() const {
        std::string letters;
        for (const auto& r : table.liveRecords()) {
            for (std::size_t k = 0; k < kCameras.size(); ++k) {
                if (fieldText(r.mac) == kCameras[k].mac) {
                    letters += static_cast<char>('A' + k);
                }
            }
        }
        return letters;
    }
    std::vector<std::string> macs() const {
        std::vector<std::string> out;
        for (const auto& r : table.liveRecords()) {
            out.emplace_back(fieldText(r.mac));
        }
        return out;
    }

    CameraTable table;
};

TEST_F(SortTest, eachCodeSortsByItsKeyAscendingFirst) {
    const struct {
        int code;
        const char* ascending;
    } cases[] = {
        {kSortMac, "BCAD"},        // "0a" after the digits
        {kSortIpAddress, "CDAB"},  // octets unsigned: 192 last
        {kSortModel, "CADB"},      // PM-B S1, PM-B S2, PM-BB, PM-C
        {kSortSerial, "DCAB"},
        {kSortVersion, "BADC"},  // "1.10", "2.10", "2.10a", "2.9"
        {kSortPppoeIpAddress, "CBDA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        table.resetTable();
        for (const auto& camera : kCameras) {
            add(camera);
        }
        table.sortByColumn(c.code);
        EXPECT_EQ(order(), c.ascending);
        EXPECT_EQ(table.sortDirection(), 0);
        EXPECT_EQ(table.lastSortColumn(), c.code);
        EXPECT_EQ(table.discoveryEnabled.load(), 1);
        EXPECT_EQ(table.count(), 4);
        EXPECT_TRUE(table.read([](const TableData& d) { return d.records[4].isFree(); }));
    }
}

TEST_F(SortTest, sameColumnTwiceReversesExactly) {
    for (int i = 0; i < 12; ++i) {
        const auto k = std::to_string(i * 7 % 12);  // distinct keys, not in table order
        add({macFor(i * 5 % 12), "10.0.0." + k, "PM-" + k, "S" + k, "1." + k, "10.1.0." + k});
    }
    for (const int code :
         {kSortMac, kSortIpAddress, kSortModel, kSortSerial, kSortVersion, kSortPppoeIpAddress}) {
        SCOPED_TRACE(code);
        table.sortByColumn(code);
        auto reversed = macs();
        std::reverse(reversed.begin(), reversed.end());
        table.sortByColumn(code);
        EXPECT_EQ(table.sortDirection(), 1);
        EXPECT_EQ(macs(), reversed);
        table.sortByColumn(code);
        EXPECT_EQ(table.sortDirection(), 0);
    }
}

// Equal keys are put in reverse table order ascending and in table order descending, so a tie
// group that the first sort reversed keeps that order on the second: only distinct keys flip.
TEST_F(SortTest, secondSortKeepsATieGroupInTheOrderOfTheFirst) {
    add({macFor(0), "10.0.0.5", "PM", "S", "", ""});
    add({macFor(1), "10.0.0.5", "PM", "S", "", ""});
    add({macFor(2), "10.0.0.1", "PM", "S", "", ""});
    table.sortByColumn(kSortIpAddress);
    EXPECT_EQ(macs(), (std::vector<std::string>{macFor(2), macFor(1), macFor(0)}));
    table.sortByColumn(kSortIpAddress);
    EXPECT_EQ(macs(), (std::vector<std::string>{macFor(1), macFor(0), macFor(2)}));
}

TEST_F(SortTest, equalKeysAtIndices3And5) {
    const char* ips[] = {"10.0.0.9", "10.0.0.8", "10.0.0.7", "10.0.0.5", "10.0.0.6", "10.0.0.5"};
    for (int i = 0; i < 6; ++i) {
        add({macFor(i), ips[i], "PM", "S", "", ""});
    }
    const auto original =
        table.read([](const TableData& d) { return std::vector(d.records, d.records + 6); });
    table.sortByColumn(kSortIpAddress);
    EXPECT_EQ(macs(), (std::vector<std::string>{macFor(5), macFor(3), macFor(4), macFor(2),
                                                macFor(1), macFor(0)}));
    // Put the records back where they were: the next sort of the column is descending.
    table.modify([&](TableData& d) { std::copy(original.begin(), original.end(), d.records); });
    table.sortByColumn(kSortIpAddress);
    EXPECT_EQ(macs(), (std::vector<std::string>{macFor(0), macFor(1), macFor(2), macFor(4),
                                                macFor(3), macFor(5)}));
}

TEST_F(SortTest, unknownCodeLeavesTheOrderAndReenablesDiscovery) {
    for (const auto& camera : kCameras) {
        add(camera);
    }
    for (const int code : {5, 10, 12, -1, 1000}) {
        table.discoveryEnabled = 0;
        table.sortByColumn(code);
        EXPECT_EQ(order(), "ABCD") << code;
        EXPECT_EQ(table.discoveryEnabled.load(), 1) << code;
        EXPECT_EQ(table.count(), 4);
    }
}

TEST_F(SortTest, resetSortStateMakesTheNextSortAscending) {
    for (const auto& camera : kCameras) {
        add(camera);
    }
    table.sortByColumn(kSortSerial);
    table.sortByColumn(kSortSerial);
    EXPECT_EQ(order(), "BACD");
    table.resetSortState();
    EXPECT_EQ(table.lastSortColumn(), -1);
    EXPECT_EQ(table.sortDirection(), -1);
    table.sortByColumn(kSortSerial);
    EXPECT_EQ(order(), "DCAB");
    table.sortByColumn(kSortMac);  // another column starts ascending too
    EXPECT_EQ(order(), "BCAD");
}

// Text keys up to their terminator, unsigned bytes; Model is one 44-byte block.
int referenceCompare(int code, const CameraRecord& a, const CameraRecord& b) {
    const auto text = [](std::string_view x, std::string_view y) {
        const auto less = [](char p, char q) {
            return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
        };
        if (std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), less)) {
            return -1;
        }
        return std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end(), less) ? 1 : 0;
    };
    const auto bytes = [](const void* x, const void* y, std::size_t n) {
        return std::memcmp(x, y, n);
    };
    switch (code) {
        case kSortMac:
            return text(fieldText(a.mac), fieldText(b.mac));
        case kSortIpAddress:
            return bytes(a.ipAddress.data(), b.ipAddress.data(), 4);
        case kSortModel: {
            unsigned char ka[44] = {}, kb[44] = {};
            std::memcpy(ka, a.model, 32);
            std::memcpy(ka + 32, a.serial, 12);
            std::memcpy(kb, b.model, 32);
            std::memcpy(kb + 32, b.serial, 12);
            return bytes(ka, kb, 44);
        }
        case kSortSerial:
            return text(fieldText(a.serial), fieldText(b.serial));
        case kSortVersion:
            return text(fieldText(a.softVersion), fieldText(b.softVersion));
        default:
            return bytes(a.pppoeIpAddress.data(), b.pppoeIpAddress.data(), 4);
    }
}

// The counting rule: a record's new position is the number of others that come before it.
std::vector<std::string> countingRuleOrder(int code, bool descending,
                                           const std::vector<CameraRecord>& records) {
    std::vector<std::string> out(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::size_t before = 0;
        for (std::size_t j = 0; j < records.size(); ++j) {
            const int c = referenceCompare(code, records[j], records[i]);
            if (j != i && (descending ? c > 0 || (c == 0 && j < i) : c < 0 || (c == 0 && j > i))) {
                ++before;
            }
        }
        out[before] = fieldText(records[i].mac);
    }
    return out;
}

TEST_F(SortTest, everyCodeMatchesTheCountingRuleOnRandomRecordsWithTies) {
    std::mt19937 random(2380);
    const std::string alphabet = "AB\x80\xE9";
    const auto word = [&](int maxLength) {
        std::string w(random() % (maxLength + 1), 'A');
        for (auto& ch : w) {
            ch = alphabet[random() % alphabet.size()];
        }
        return w;
    };
    const auto address = [&] {
        return std::to_string(random() % 2 * 200) + ".0." + std::to_string(random() % 3) + ".1";
    };
    std::vector<int> numbers(300);
    std::iota(numbers.begin(), numbers.end(), 0);
    std::shuffle(numbers.begin(), numbers.end(), random);
    for (const int n : numbers) {
        // MACs are unique (they name the records); the other keys tie often.
        add({macFor(n), address(), word(3), word(2), word(2), address()});
    }
    ASSERT_EQ(table.count(), 300);
    for (const int code :
         {kSortMac, kSortIpAddress, kSortModel, kSortSerial, kSortVersion, kSortPppoeIpAddress}) {
        for (const bool descending : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << "code " << code << (descending ? " desc" : " asc"));
            const auto expected = countingRuleOrder(code, descending, table.liveRecords());
            table.sortByColumn(code);
            ASSERT_EQ(table.sortDirection(), descending ? 1 : 0);
            EXPECT_EQ(macs(), expected);
        }
    }
}

}  // namespace
}  // namespace pelmora

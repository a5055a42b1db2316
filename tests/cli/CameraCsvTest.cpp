// The CSV the tool writes and reads: quoting, Latin-1 camera text, the formula guard, and that
// what is written reads back as the same values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/Csv.h"
#include "listing/CameraListing.h"
#include "model/CameraTable.h"
#include "protocol/DatagramBuilder.h"

namespace pelmora {
namespace {

struct FieldCase {
    const char* name;
    std::string model;     // camera text as the camera sends it (Latin-1)
    std::string written;   // the model field as the CSV holds it (UTF-8)
    std::string readBack;  // after reading and removing the guard
};

const std::vector<FieldCase> kFieldCases = {
    {"plainTextAsIs", "PM-C110", "PM-C110", "PM-C110"},
    {"commaQuoted", "PM,C110", "\"PM,C110\"", "PM,C110"},
    {"quoteDoubled", "PM \"C\"", "\"PM \"\"C\"\"\"", "PM \"C\""},
    {"lineBreakQuoted", "PM\nC", "\"PM\nC\"", "PM\nC"},
    {"latin1ToUtf8", "Cam\xE9", "Cam\xC3\xA9", "Cam\xC3\xA9"},
    {"equalsGuarded", "=1+1", "'=1+1", "=1+1"},
    {"plusGuarded", "+1", "'+1", "+1"},
    {"minusGuarded", "-2", "'-2", "-2"},
    {"atGuarded", "@SUM(A1)", "'@SUM(A1)", "@SUM(A1)"},
    {"tabGuarded", "\tx", "'\tx", "\tx"},
    {"carriageReturnGuardedAndQuoted", "\rx", "\"'\rx\"", "\rx"},
    {"guardAndQuoteTogether", "=\"a,b\"", "\"'=\"\"a,b\"\"\"", "=\"a,b\""},
    {"apostropheAloneKept", "'x", "'x", "'x"},
};

CameraRecord cameraWithModel(const std::string& model) {
    CameraTable table;
    table.parseInfoReply(DatagramBuilder{}
                             .field("MAC:", "02:50:4D:00:00:01")
                             .field("MODEL:", model)
                             .field("DHCP:", "OFF")
                             .field("IPADR:", "192.168.0.2")
                             .field("BANDELM:", "0.0,1.0,2.0")
                             .finish());
    return table.liveRecords().at(0);
}

TEST(CameraCsv, fieldsAreQuotedGuardedAndReadBack) {
    for (const auto& c : kFieldCases) {
        SCOPED_TRACE(c.name);
        const auto text = formatCameraCsv({cameraWithModel(c.model)});
        const auto firstLineEnd = text.find('\n');
        const auto row = text.substr(firstLineEnd + 1);
        // The model is the second column, after the MAC.
        EXPECT_EQ(row.substr(0, row.find(',') + 1), "02:50:4D:00:00:01,");
        EXPECT_EQ(row.substr(18, c.written.size()), c.written);
        const auto parsed = parseCsv(text);
        ASSERT_EQ(parsed.error, "");
        ASSERT_EQ(parsed.rows.size(), 2u);
        EXPECT_EQ(unguardFormula(parsed.rows[1].at(1)), c.readBack);
    }
}

TEST(CameraCsv, headerIsTheJsonKeysAndListsAreOneField) {
    const auto record = cameraWithModel("PM-C110");
    const auto parsed = parseCsv(formatCameraCsv({record}));
    ASSERT_EQ(parsed.rows.size(), 2u);
    std::vector<std::string> keys;
    const auto object = cameraToJson(record);
    for (const auto& item : object.items()) {
        keys.push_back(item.key());
    }
    EXPECT_EQ(parsed.rows[0], keys);
    ASSERT_EQ(parsed.rows[1].size(), keys.size());
    const auto column = [&](const std::string& key) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] == key) {
                return parsed.rows[1][i];
            }
        }
        return std::string("?");
    };
    EXPECT_EQ(column("bandElements"), "unlimited;1.0;2.0");
    EXPECT_EQ(column("clock"), "");  // null
    EXPECT_EQ(column("dhcp"), "0");
    EXPECT_EQ(column("ipAddress"), "192.168.0.2");
    EXPECT_EQ(column("problems"), "");
}

struct ReadCase {
    const char* name;
    std::string text;
    std::vector<CsvRow> rows;
    bool error = false;
};

TEST(CameraCsv, readerTakesCrlfBomBlankLinesAndRefusesBrokenQuotes) {
    const std::vector<ReadCase> cases = {
        {"lf", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"crlf", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}},
        {"bom",
         "\xEF\xBB\xBF"
         "a\n",
         {{"a"}}},
        {"noFinalLineEnd", "a,\"b\"", {{"a", "b"}}},
        {"emptyFields", ",,\n", {{"", "", ""}}},
        {"blankLinesSkipped", "a\n\r\n\nb\n", {{"a"}, {"b"}}},
        {"quotedCrlfKept", "\"x\r\ny\",z\r\n", {{"x\r\ny", "z"}}},
        {"unterminated", "a,\"b\n", {}, true},
        {"textAfterQuote", "\"a\"b\n", {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parsed = parseCsv(c.text);
        EXPECT_EQ(!parsed.error.empty(), c.error);
        if (!c.error) {
            EXPECT_EQ(parsed.rows, c.rows);
        }
    }
}

}  // namespace
}  // namespace pelmora

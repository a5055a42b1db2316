#include "cli/DateTimeArguments.h"

#include <gtest/gtest.h>

#include <string>

namespace pelmora {
namespace {

TEST(DateTimeArguments, formatAndZoneMapOntoTheListsOrOntoNothing) {
    EXPECT_EQ(dateFormatIndex("ymd"), 0);
    EXPECT_EQ(dateFormatIndex("dmy"), 2);
    EXPECT_EQ(dateFormatIndex(""), -1);
    EXPECT_EQ(dateFormatIndex("YMD"), -1);
    const struct {
        const char* text;
        int index;
    } zones[] = {{"-12", 0},  {"0", 12}, {"+1", 13}, {"13", 25}, {"-0", 12},  {"14", -1},
                 {"-13", -1}, {"", -1},  {"+", -1},  {"5h", -1}, {"100", -1}, {" 5", -1}};
    for (const auto& z : zones) {
        EXPECT_EQ(timeZoneIndex(z.text), z.index) << '"' << z.text << '"';
    }
}

struct AtCase {
    const char* name;
    const char* text;
    std::string_view message;  // empty when the date and time is accepted
    const char* time = "";     // the "TIME:" value when accepted
};

class DateTimeArgument : public testing::TestWithParam<AtCase> {};

// Checked through the page's own checks, which name the first part that is missing.
TEST_P(DateTimeArgument, readsEachPartOrLetsThePageNameTheFirstMissingOne) {
    const auto& c = GetParam();
    const auto check = checkManualDateTime(dateTimeSelections(0, 12, c.text));
    EXPECT_EQ(check.message, c.message);
    if (c.message.empty()) {
        ASSERT_TRUE(check.values);
        EXPECT_EQ(check.values->time, c.time);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DateTimeArguments, DateTimeArgument,
    testing::Values(AtCase{"fullForm", "2005-03-05 09:07:00", "", "0503050907006"},
                    AtCase{"singleDigitsAndExtraBlanks", " 2005-3-5   9:7:0 ", "", "0503050907006"},
                    AtCase{"lastYear", "2037-12-31 23:59:59", "", "3712312359594"},
                    AtCase{"yearBeforeTheList", "2000-01-01 00:00:00", kYearError},
                    AtCase{"twoDigitYear", "05-03-05 09:07:00", kYearError},
                    AtCase{"notADate", "yesterday", kYearError},
                    AtCase{"monthThirteen", "2005-13-01 00:00:00", kMonthError},
                    AtCase{"dayZero", "2005-03-00 00:00:00", kDayError},
                    AtCase{"dateOnly", "2005-03-05", kHourError},
                    AtCase{"hour24", "2005-03-05 24:00:00", kHourError},
                    AtCase{"minuteThreeDigits", "2005-03-05 09:070:00", kMinuteError},
                    AtCase{"noSeconds", "2005-03-05 09:07", kSecondError},
                    AtCase{"trailingText", "2005-03-05 09:07:00 UTC", kSecondError},
                    AtCase{"dayPastTheMonth", "2005-02-29 00:00:00", kNoSuchDateError}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelmora

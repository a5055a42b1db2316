#include "cli/DateTimeArguments.h"

#include <array>
#include <optional>

#include "settings/datetime/DateTimeChoices.h"

namespace pelmora {
namespace {

// The zone list as numbers: index i is GMT + (i − 12) hours.
constexpr NumberList kZoneHours{-kTimeZoneIndexOfGmt, static_cast<int>(kTimeZoneTexts.size())};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads left to right through one argument.
class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    // 1 to `maxDigits` digits, not followed by a further digit.
    std::optional<int> number(std::size_t maxDigits) {
        int value = 0;
        std::size_t digits = 0;
        while (pos_ < text_.size() && isDigit(text_[pos_])) {
            if (++digits > maxDigits) {
                return std::nullopt;
            }
            value = value * 10 + (text_[pos_++] - '0');
        }
        return digits == 0 ? std::nullopt : std::optional<int>(value);
    }

    bool literal(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // Skips blanks; true when there was at least one.
    bool blanks() {
        const auto start = pos_;
        while (pos_ < text_.size() && isBlank(text_[pos_])) {
            ++pos_;
        }
        return pos_ != start;
    }

    bool atEnd() const { return pos_ == text_.size(); }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

int dateFormatIndex(std::string_view code) {
    for (std::size_t i = 0; i < kDateFormats.size(); ++i) {
        if (kDateFormats[i].code == code) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int timeZoneIndex(std::string_view hours) {
    Scanner scan(hours);
    const bool negative = scan.literal('-');
    if (!negative) {
        scan.literal('+');
    }
    const auto value = scan.number(2);
    if (!value || !scan.atEnd()) {
        return -1;
    }
    return indexOfNumber(kZoneHours, negative ? -*value : *value);
}

DateTimeSelections dateTimeSelections(int format, int zone, std::string_view dateTime) {
    // The separator before each part, and the most digits each may have.
    constexpr std::array<char, 6> kSeparators{'\0', '-', '-', ' ', ':', ':'};
    constexpr std::array<std::size_t, 6> kMaxDigits{4, 2, 2, 2, 2, 2};
    std::array<std::optional<int>, 6> parts{};
    Scanner scan(dateTime);
    scan.blanks();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const char separator = kSeparators[i];
        const bool separated = separator == '\0'  ? true
                               : separator == ' ' ? scan.blanks()
                                                  : scan.literal(separator);
        if (!separated || !(parts[i] = scan.number(kMaxDigits[i]))) {
            break;
        }
    }
    scan.blanks();
    // Anything after the seconds makes them unreadable.
    if (!scan.atEnd()) {
        parts.back().reset();
    }
    const auto index = [&parts](std::size_t part, NumberList list, int offset = 0) {
        return parts[part] ? indexOfNumber(list, *parts[part] - offset) : -1;
    };
    return {format,
            zone,
            index(0, kYearList, kYearListCentury),
            index(1, kMonthList),
            index(2, kDayList),
            index(3, kHourList),
            index(4, kMinuteList),
            index(5, kSecondList)};
}

}  // namespace pelmora

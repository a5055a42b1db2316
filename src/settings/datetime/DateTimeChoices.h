#pragma once
// The Date time page's lists: the three date formats with the codes cameras understand, the 26
// time zones, and the six two-digit lists from which a date and time is picked by hand. Every
// list is addressed by its selected index, −1 meaning nothing is selected.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

struct DateFormatChoice {
    std::string_view listText;
    std::string_view code;  // the "DTFORMAT:" value
};

inline constexpr std::array<DateFormatChoice, 3> kDateFormats{{
    {"yyyy-mm-dd hh:mm:ss", "ymd"},
    {"mm-dd-yyyy hh:mm:ss", "mdy"},
    {"dd-mm-yyyy hh:mm:ss", "dmy"},
}};

// Index i is the zone GMT + (i − 12) hours; the list runs from −12 to +13.
inline constexpr int kTimeZoneIndexOfGmt = 12;
inline constexpr std::array<std::string_view, 26> kTimeZoneTexts{
    "(GMT-12:00) Eniwetok, Kwajalein",
    "(GMT-11:00) Midway Island, Samoa",
    "(GMT-10:00) Hawaii",
    "(GMT-09:00) Alaska",
    "(GMT-08:00) Pacific Time(US & Canada); Tijuana",
    "(GMT-07:00) Arizona, Mountain Time(US & Canada)",
    "(GMT-06:00) Mexico City, Saskatchewan",
    "(GMT-05:00) Bogota, Lima, Quito, Eastern Time(US & Canada)",
    "(GMT-04:00) Atlantic Time(Canada), Caracas, La Paz, Santiago",
    "(GMT-03:00) Brasilia, Buenos Aires, Georgetown, Greenland",
    "(GMT-02:00) Mid-Atlantic",
    "(GMT-01:00) Azores, Cape Verde Is.",
    "(GMT) Greenwich Mean Time : Dublin, Edinburgh, Lisbon, London",
    "(GMT+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna",
    "(GMT+02:00) Athens, Istanbul, Minsk, Cairo, Jerusalem",
    "(GMT+03:00) Baghdad, Kuwait, Riyadh, Moscow, St. Petersburg",
    "(GMT+04:00) Abu Dhabi, Muscat, Baku, Tbilisi, Yerevan",
    "(GMT+05:00) Ekaterinburg, Islamabad, Karachi, Tashkent",
    "(GMT+06:00) Almaty, Novosibirsk, Astana, Dhaka",
    "(GMT+07:00) Bangkok, Hanoi, Jakarta, Krasnoyarsk",
    "(GMT+08:00) Beijing, Chongaing, Hong Kong, Urumgi, Taipei",
    "(GMT+09:00) Osaka, Sapporo, Tokyo, Seoul",
    "(GMT+10:00) Brisbane, Canberra, Melbourne, Sydney",
    "(GMT+11:00) Magadan, Solomon Is., New Caledonia",
    "(GMT+12:00) Auckland, Wellington, Fiji",
    "(GMT+13:00) Nuku'alofa",
};

// A list of two-digit, zero-padded numbers: index i holds the number first + i. The lists are
// sorted by text, which keeps them in numeric order.
struct NumberList {
    int first;
    int count;
};

inline constexpr NumberList kYearList{1, 37};  // "01" to "37": the years 2001 to 2037
inline constexpr NumberList kMonthList{1, 12};
inline constexpr NumberList kDayList{1, 31};
inline constexpr NumberList kHourList{0, 24};
inline constexpr NumberList kMinuteList{0, 60};
inline constexpr NumberList kSecondList{0, 60};
// The year list shows the year without its century.
inline constexpr int kYearListCentury = 2000;

// True for an index that names an entry of a list of `count` entries.
constexpr bool isSelected(int index, int count) {
    return index >= 0 && index < count;
}

// The "TIMEZONE:" value of zone index 0 to 25: "-12" to "13", no plus sign, no leading zeros.
std::string timeZoneValue(int zoneIndex);

// The entries of a number list, "01", "02", ...
std::vector<std::string> numberListTexts(NumberList list);

// The index whose entry is `number`, or −1 when the list has no such entry.
int indexOfNumber(NumberList list, int number);

}  // namespace pelmora

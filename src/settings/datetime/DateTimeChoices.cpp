#include "settings/datetime/DateTimeChoices.h"

#include <cstdio>

namespace pelmora {

std::string timeZoneValue(int zoneIndex) {
    return std::to_string(zoneIndex - kTimeZoneIndexOfGmt);
}

std::vector<std::string> numberListTexts(NumberList list) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(list.count));
    for (int i = 0; i < list.count; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%02d", list.first + i);
        texts.emplace_back(text);
    }
    return texts;
}

int indexOfNumber(NumberList list, int number) {
    // Compared before subtracting so that no number can overflow.
    if (number < list.first || number - list.first >= list.count) {
        return -1;
    }
    return number - list.first;
}

}  // namespace pelmora

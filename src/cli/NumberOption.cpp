#include "cli/NumberOption.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace pelmora {
namespace {

enum class Reading { Number, TooLarge, NoNumber };

// A finite decimal number taking the whole text; one too large for a double is told apart.
Reading readNumber(const std::string& text, double& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size() ||
        (ec != std::errc{} && ec != std::errc::result_out_of_range)) {
        return Reading::NoNumber;
    }
    if (ec == std::errc::result_out_of_range) {
        return Reading::TooLarge;
    }
    return std::isfinite(value) ? Reading::Number : Reading::NoNumber;
}

std::string notANumber(const std::string& text) {
    return "not a number: '" + text + "'";
}

}  // namespace

CLI::Validator numberValidator(double lowest, double highest, std::string outOfRange,
                               std::string typeName) {
    return CLI::Validator(
        [lowest, highest, outOfRange](const std::string& text) {
            double value = 0;
            const auto reading = readNumber(text, value);
            if (reading == Reading::NoNumber) {
                return notANumber(text);
            }
            if (reading == Reading::TooLarge || value < lowest || value > highest) {
                return outOfRange;
            }
            return std::string();
        },
        std::move(typeName));
}

CLI::Validator wholeNumberValidator(unsigned long long lowest, unsigned long long highest,
                                    std::string outOfRange, std::string typeName) {
    return CLI::Validator(
        [lowest, highest, outOfRange](const std::string& text) {
            unsigned long long value = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (end == text.data() + text.size() && ec == std::errc{}) {
                return value < lowest || value > highest ? outOfRange : std::string();
            }
            double number = 0;
            const auto reading = readNumber(text, number);
            if (reading == Reading::NoNumber) {
                return notANumber(text);
            }
            if (reading == Reading::Number && number != std::floor(number)) {
                return std::string("must be a whole number");
            }
            // Negative, or past what the option can hold.
            return outOfRange;
        },
        std::move(typeName));
}

}  // namespace pelmora

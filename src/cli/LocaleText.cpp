#include "cli/LocaleText.h"

#include <string>

namespace pelmora {

CLI::Validator latin1Argument() {
    return CLI::Validator(
        [](std::string& text) {
            std::string error;
            const auto converted = latin1FromLocale(text, &error);
            if (!converted) {
                return error;
            }
            text = *converted;
            return std::string();
        },
        "");
}

}  // namespace pelmora

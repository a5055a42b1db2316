#include "app/Translations.h"

#include <QLibraryInfo>

namespace pelmora {

std::vector<std::unique_ptr<QTranslator>> windowTranslators(const QLocale& locale) {
    std::vector<std::unique_ptr<QTranslator>> translators;
    for (const QString& language : locale.uiLanguages()) {
        // "en", "en-GB": the words of the sources. Anything after them is a fallback.
        if (QLocale(language).language() == QLocale::English) {
            return translators;
        }
        auto ours = std::make_unique<QTranslator>();
        if (!ours->load(QLocale(language), QStringLiteral("pelmora"), QStringLiteral("_"),
                        QStringLiteral(":/i18n"))) {
            continue;
        }
        // Qt's own words, when its translations are installed; the window does without.
        auto qt = std::make_unique<QTranslator>();
        const bool withQt =
            qt->load(QLocale(ours->language()), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        translators.push_back(std::move(ours));
        if (withQt) {
            translators.push_back(std::move(qt));
        }
        return translators;
    }
    return translators;
}

}  // namespace pelmora

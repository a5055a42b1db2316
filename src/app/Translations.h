#pragma once
// The window in the language of the person using it: our own translation, built into the
// program, and Qt's for the buttons of its standard boxes ("OK", "Cancel", "Retry"), both for
// the same language. English is the language the window is written in and needs neither.

#include <QLocale>
#include <QTranslator>
#include <memory>
#include <vector>

namespace pelmora {

// The translators for the first of `locale`'s languages that we translate, ours first; none
// when English comes before any such language, or when none is translated. The caller
// installs them and keeps them while the window lives.
std::vector<std::unique_ptr<QTranslator>> windowTranslators(const QLocale& locale);

}  // namespace pelmora

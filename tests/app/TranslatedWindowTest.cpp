// The window in English and in German, offscreen at its default size: every text shows whole,
// no two controls of a page answer to the same Alt letter, and only the languages we translate
// are loaded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTabBar>

#include "../engine/PeerSocket.h"
#include "WindowOnLoopback.h"
#include "app/MainDialog.h"
#include "app/Translations.h"
#include "widgets/RecordingMessagePort.h"

namespace pelmora {
namespace {

// Labels, buttons and group boxes shown narrower or lower than their text needs, or standing
// partly outside the widget that holds them, and a tab bar too narrow for its titles.
QStringList clippedTexts(const QWidget& window) {
    QStringList clipped;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        QString text;
        QSize need;
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            text = label->text();
            need = label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                     : label->minimumSizeHint();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            text = button->text();
            need = button->sizeHint();
        } else if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
            text = group->title();
            need = group->minimumSizeHint();
        } else if (const auto* tabs = qobject_cast<const QTabBar*>(w)) {
            text = tabs->tabText(0);
            need = {tabs->sizeHint().width(), 0};
        }
        if (!text.isEmpty() && w->isVisible() &&
            (w->width() < need.width() || w->height() < need.height() ||
             !w->parentWidget()->rect().contains(w->geometry()))) {
            clipped << QString("%1 (%2 of %3 px)").arg(text).arg(w->width()).arg(need.width());
        }
    }
    return clipped;
}

// The shown lists' columns too narrow for their titles, by column number.
QMap<int, QString> tightColumns(const QWidget& window) {
    QMap<int, QString> tight;
    for (const auto* header : window.findChildren<QHeaderView*>()) {
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int i = 0; i < header->count() && header->isVisible(); ++i) {
            const QString title = header->model()->headerData(i, header->orientation()).toString();
            if (header->sectionSize(i) <
                header->fontMetrics().horizontalAdvance(title) + 2 * margin) {
                tight[i] = title;
            }
        }
    }
    return tight;
}

// The Alt letters that more than one shown control answers to.
QStringList sharedMnemonics(const QWidget& window) {
    QStringList texts;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible()) {
            continue;
        }
        if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            texts << button->text();
        } else if (const auto* label = qobject_cast<const QLabel*>(w); label && label->buddy()) {
            texts << label->text();
        } else if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
            texts << group->title();
        } else if (const auto* tabs = qobject_cast<const QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                texts << tabs->tabText(i);
            }
        }
    }
    QMap<QString, QStringList> owners;
    for (const QString& text : texts) {
        if (const QString key = QKeySequence::mnemonic(text).toString(); !key.isEmpty()) {
            owners[key] << text;
        }
    }
    QStringList shared;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        if (it.value().size() > 1) {
            shared << it.key() + ": " + it.value().join(", ");
        }
    }
    return shared;
}

struct PageReport {
    QString clipped;
    QString sharedLetters;
    QMap<int, QString> tightColumns;
    QSize window;
};

// Opens the window at its default size, in the language installed, and looks at each page.
std::vector<PageReport> reportPages() {
    test::PeerSocket camera;
    RecordingMessagePort messages;
    MainDialog dialog({test::loopbackTarget(camera.port()),
                       &messages,
                       {},
                       STDOUT_FILENO,
                       test::freshSettings(),
                       {}});
    EXPECT_FALSE(dialog.start());
    dialog.show();
    std::vector<PageReport> pages;
    for (int tab = 0; tab < dialog.tabs()->count(); ++tab) {
        dialog.tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
        pages.push_back({clippedTexts(dialog).join("; "), sharedMnemonics(dialog).join("; "),
                         tightColumns(dialog), dialog.size()});
    }
    return pages;
}

TEST(TranslatedWindow, germanShowsEveryTextWholeWithOneControlPerLetter) {
    const auto english = reportPages();
    const auto translators = windowTranslators(QLocale("de_DE"));
    ASSERT_FALSE(translators.empty());
    for (const auto& translator : translators) {
        QApplication::installTranslator(translator.get());
    }
    const auto german = reportPages();
    ASSERT_EQ(german.size(), english.size());
    for (std::size_t tab = 0; tab < german.size(); ++tab) {
        for (const auto* page : {&english[tab], &german[tab]}) {
            EXPECT_EQ(page->clipped.toStdString(), "") << "page " << tab;
            EXPECT_EQ(page->sharedLetters.toStdString(), "") << "page " << tab;
            // The window never gets smaller than this, so it has to fit a 1024 x 768 screen.
            EXPECT_LE(page->window.width(), 1024) << "page " << tab;
            EXPECT_LE(page->window.height(), 768) << "page " << tab;
        }
        // A column too narrow for its German title only where it is for the English one.
        for (auto it = german[tab].tightColumns.cbegin(); it != german[tab].tightColumns.cend();
             ++it) {
            EXPECT_TRUE(english[tab].tightColumns.contains(it.key()))
                << "page " << tab << ": " << it.value().toStdString();
        }
    }
}

TEST(WindowTranslators, onlyALanguageWeTranslateIsLoaded) {
    EXPECT_TRUE(QFile::exists(":/i18n/pelmora_de.qm"));
    const std::pair<const char*, bool> cases[] = {
        {"de_DE", true}, {"de_AT", true}, {"en_GB", false}, {"fr_FR", false}, {"C", false}};
    for (const auto& [name, translated] : cases) {
        EXPECT_EQ(!windowTranslators(QLocale(name)).empty(), translated) << name;
    }
}

}  // namespace
}  // namespace pelmora

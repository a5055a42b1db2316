// The window without a mouse and through a screen reader's eyes: every control has a name and a
// keyboard path, no two letters of one page clash, a camera's address can be changed from the
// keyboard alone, and a larger font neither clips nor overlaps the forms.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../engine/PeerSocket.h"
#include "WindowOnLoopback.h"
#include "app/MainDialog.h"
#include "pages/SettingsPage.h"
#include "pages/network/NetworkPage.h"
#include "settings/network/NetworkRequest.h"
#include "widgets/CameraListReading.h"
#include "widgets/Ipv4Field.h"
#include "widgets/PageTestSupport.h"
#include "widgets/RecordingMessagePort.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(QAccessible::Name) : QString();
}

QString describe(QWidget* widget) {
    return QString("%1 \"%2\"").arg(widget->metaObject()->className(), accessibleName(widget));
}

// Controls a person types into, chooses or presses.
bool isInputControl(QWidget* widget) {
    return qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
           qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractItemView*>(widget);
}

class KeyboardAccessTest : public ::testing::Test {
  protected:
    void open() {
        const SendTarget target = test::loopbackTarget(camera.port());
        dialog = std::make_unique<MainDialog>(
            MainDialogOptions{target, &messages, {}, STDOUT_FILENO, test::freshSettings(), {}});
        ASSERT_FALSE(dialog->start());
        dialog->show();
        dialog->activateWindow();
        QApplication::processEvents();
        ASSERT_TRUE(camera.receive(2s));  // the first enquiry
    }

    void SetUp() override { open(); }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : static_cast<QWidget*>(dialog.get()), key,
                        modifiers);
        ++keystrokes;
    }

    void type(const QString& text) {
        for (const QChar c : text) {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus, c.toLatin1());
            ++keystrokes;
        }
    }

    void showPage(int index) {
        dialog->tabs()->setCurrentIndex(index);
        QApplication::processEvents();
    }

    test::PeerSocket camera;
    RecordingMessagePort messages;
    std::unique_ptr<MainDialog> dialog;
    int keystrokes = 0;
};

// Every control of every page is named for screen readers: by its label, its own text or an
// accessible name, and an address field's boxes as its octets. A label's letter leads to its
// field, and on one page no letter is used twice, the window's own (the tabs, the filter)
// included.
TEST_F(KeyboardAccessTest, everyControlIsNamedAndNoTwoLettersOfAPageClash) {
    for (int index = 0; index < 4; ++index) {
        showPage(index);
        SettingsPage* page = dialog->page(index);
        for (QWidget* widget : page->findChildren<QWidget*>()) {
            if (isInputControl(widget) && !qobject_cast<QLineEdit*>(widget->parentWidget()) &&
                widget->focusPolicy() != Qt::NoFocus) {
                EXPECT_FALSE(accessibleName(widget).isEmpty())
                    << "page " << index << ": " << describe(widget).toStdString();
            }
        }
        for (auto* field : page->findChildren<Ipv4Field*>()) {
            EXPECT_FALSE(field->fieldName().isEmpty()) << "page " << index;
            EXPECT_EQ(accessibleName(field->octetBox(2)), "octet 3 of 4");
        }

        QMap<QString, QString> letters;
        const auto claim = [&](const QString& text) {
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (key.isEmpty()) {
                return;
            }
            const QString name = key.toString();
            EXPECT_FALSE(letters.contains(name))
                << "page " << index << ": " << name.toStdString() << " for \"" << text.toStdString()
                << "\" and \"" << letters.value(name).toStdString() << "\"";
            letters.insert(name, text);
        };
        for (int tab = 0; tab < dialog->tabs()->count(); ++tab) {
            claim(dialog->tabs()->tabText(tab));
        }
        claim("&Filter");
        claim(dialog->problemsOnlyBox()->text());
        for (auto* label : page->findChildren<QLabel*>()) {
            if (label->text().contains('&')) {
                EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
                claim(label->text());
            }
        }
        for (auto* button : page->findChildren<QAbstractButton*>()) {
            claim(button->text());
            if (!QKeySequence::mnemonic(button->text()).isEmpty() &&
                qobject_cast<QPushButton*>(button)) {
                EXPECT_TRUE(button->toolTip().contains(
                    QKeySequence::mnemonic(button->text()).toString(QKeySequence::NativeText)))
                    << button->text().toStdString() << ": " << button->toolTip().toStdString();
            }
        }
        for (auto* group : page->findChildren<QGroupBox*>()) {
            claim(group->title());
        }
    }
}

// F6 visits, in reading order, every control that can take the keyboard on the shown page (of
// radio buttons that go together, only the chosen one: with a fixed-address camera shown, Space
// on "Obtain an IP address automatically" would switch it to DHCP), after the filter row and the
// tabs, and comes round again; Shift+F6 walks the same way back.
TEST_F(KeyboardAccessTest, f6WalksEveryControlOfThePageAndShiftF6WalksBack) {
    test::addCamera(dialog->table(), 1);
    for (int index = 0; index < 4; ++index) {
        showPage(index);
        SettingsPage* page = dialog->page(index);
        page->refreshGrid();
        if (index == 0) {
            QTest::mouseClick(page->list()->viewport(), Qt::LeftButton, {},
                              test::cellCentre(*page->list(), 0, 1));
        }
        page->list()->setFocus();
        QApplication::processEvents();
        QList<QWidget*> forward;
        for (int step = 0; step < 60; ++step) {
            press(Qt::Key_F6);
            QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            if (focus == page->list()) {
                break;
            }
            forward.append(focus);
        }
        // The page's form, then round through the filter row and the tabs back to the list.
        ASSERT_GE(forward.size(), 3);
        const QList<QWidget*> windowRow = {dialog->filterField(), dialog->problemsOnlyBox(),
                                           dialog->tabs()->tabBar()};
        EXPECT_EQ(forward.mid(forward.size() - 3), windowRow) << "page " << index;
        // Every control that a walk could stop at is visited, each once.
        for (QWidget* widget : page->findChildren<QWidget*>()) {
            const auto* radio = qobject_cast<QRadioButton*>(widget);
            const bool stop = widget != page->list() && isInputControl(widget) &&
                              widget->isVisible() && widget->isEnabled() &&
                              (widget->focusPolicy() & Qt::TabFocus) &&
                              widget->focusProxy() == nullptr;
            if (stop) {
                EXPECT_EQ(forward.count(widget), radio == nullptr || radio->isChecked() ? 1 : 0)
                    << "page " << index << ": " << describe(widget).toStdString();
            }
        }
        // An address field is one stop, at its first octet.
        for (auto* field : page->findChildren<Ipv4Field*>()) {
            EXPECT_EQ(forward.count(field->octetBox(1)), 0);
        }
        QList<QWidget*> backward;
        for (int step = 0; step < forward.size(); ++step) {
            press(Qt::Key_F6, Qt::ShiftModifier);
            backward.prepend(QApplication::focusWidget());
        }
        EXPECT_EQ(backward, forward) << "page " << index;
        EXPECT_EQ(dialog->tabs()->currentIndex(), index) << "the walk never turns the page";
    }
}

// From the window's opening, without a mouse: the first camera chosen in the list, a fixed
// address and mask typed with "." between the octets, the credentials, and OK. The request
// leaves as the mouse would have sent it. The figure printed is the keystrokes it took.
TEST_F(KeyboardAccessTest, aCamerasAddressChangesFromTheKeyboardAlone) {
    test::addCamera(dialog->table(), 1);
    auto* page = static_cast<NetworkPage*>(dialog->page(0));
    page->refreshGrid();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), page->list()) << "the shown page has the keyboard";

    press(Qt::Key_Up);  // the first camera
    ASSERT_EQ(page->selectedMac(), QString::fromStdString(test::macOf(1)));
    press(Qt::Key_U, Qt::AltModifier);  // "Use the following IP address"
    press(Qt::Key_I, Qt::AltModifier);  // "IP address"
    ASSERT_EQ(QApplication::focusWidget(), page->ipField()->octetBox(0));
    type("192.168.0.20");
    press(Qt::Key_M, Qt::AltModifier);  // "Subnet mask"
    type("255.255.255.0");
    // The arrow keys cross between octets: back to the third octet of the mask and out again.
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), page->maskField()->octetBox(2));
    keystrokes -= 2;                    // a detour, not part of the count
    press(Qt::Key_A, Qt::AltModifier);  // "Administrator name"
    type("admin");
    press(Qt::Key_W, Qt::AltModifier);  // "Administrator password"
    type("password");
    ASSERT_TRUE(page->okButton()->isEnabled());
    press(Qt::Key_O, Qt::AltModifier);  // OK
    QTest::qWait(300);  // a mnemonic presses the button as a click would, drawn down a moment

    NetworkSettings sent;
    sent.dhcp = false;
    sent.ipAddress = {192, 168, 0, 20};
    sent.subnetMask = {255, 255, 255, 0};
    sent.dnsAuto = false;
    EXPECT_EQ(camera.receive(2s), buildNetworkRequest(test::macOf(1), "admin", "password", sent));
    EXPECT_TRUE(messages.calls().empty()) << "no check refused the form";
    std::printf("keystrokes to change one camera's address: %d\n", keystrokes);

    // The list's menu (copy, a free address, several addresses) opens from the keyboard too.
    QStringList menu;
    QTimer::singleShot(0, [&menu] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : popup->actions()) {
                menu << action->text();
            }
            popup->close();
        }
    });
    page->list()->setFocus();
    QTest::keyClick(page->list(), Qt::Key_Menu);
    EXPECT_TRUE(menu.contains("&Copy")) << menu.join(", ").toStdString();
}

// A 16-point system font: on every page each label, button and field still shows its whole
// text, and no two controls overlap. The window grows to fit; nothing is cut.
TEST(LargerTextTest, formsNeitherClipNorOverlapWithASixteenPointFont) {
    const QFont original = QApplication::font();
    QFont large = original;
    large.setPointSize(16);
    QApplication::setFont(large);
    {
        test::PeerSocket camera;
        RecordingMessagePort messages;
        const SendTarget target = test::loopbackTarget(camera.port());
        MainDialog dialog(
            MainDialogOptions{target, &messages, {}, STDOUT_FILENO, test::freshSettings(), {}});
        ASSERT_FALSE(dialog.start());
        dialog.show();
        QApplication::processEvents();
        for (int index = 0; index < 4; ++index) {
            dialog.tabs()->setCurrentIndex(index);
            QApplication::processEvents();
            QList<QWidget*> shown;
            for (QWidget* widget : dialog.findChildren<QWidget*>()) {
                const bool leaf = qobject_cast<QLabel*>(widget) ||
                                  qobject_cast<QAbstractButton*>(widget) ||
                                  (qobject_cast<QLineEdit*>(widget) &&
                                   !qobject_cast<QComboBox*>(widget->parentWidget())) ||
                                  qobject_cast<QComboBox*>(widget);
                if (!leaf || !widget->isVisible() || widget->width() == 0) {
                    continue;
                }
                shown.append(widget);
                const QSize needed = qobject_cast<QLineEdit*>(widget)
                                         ? QSize(widget->fontMetrics().horizontalAdvance("255"),
                                                 widget->fontMetrics().height())
                                         : widget->sizeHint();
                EXPECT_GE(widget->width(), needed.width())
                    << "page " << index << ": " << describe(widget).toStdString() << " clipped";
                EXPECT_GE(widget->height(), std::min(needed.height(), widget->maximumHeight()))
                    << "page " << index << ": " << describe(widget).toStdString() << " clipped";
            }
            for (int a = 0; a < shown.size(); ++a) {
                const QRect ra(shown[a]->mapTo(&dialog, QPoint()), shown[a]->size());
                for (int b = a + 1; b < shown.size(); ++b) {
                    if (shown[a]->isAncestorOf(shown[b]) || shown[b]->isAncestorOf(shown[a])) {
                        continue;
                    }
                    const QRect rb(shown[b]->mapTo(&dialog, QPoint()), shown[b]->size());
                    EXPECT_FALSE(ra.intersects(rb))
                        << "page " << index << ": " << describe(shown[a]).toStdString()
                        << " overlaps " << describe(shown[b]).toStdString();
                }
            }
        }
    }
    QApplication::setFont(original);
}

}  // namespace
}  // namespace pelmora

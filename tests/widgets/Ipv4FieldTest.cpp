// The IPv4 address field: reading and writing addresses, and what typing into it does.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <string>

#include "widgets/Ipv4Field.h"

namespace pelmora {
namespace {

// Types each character into whichever box of the field has the focus at that moment, as a
// person would.
void type(Ipv4Field& field, const std::string& keys) {
    for (const char ch : keys) {
        QWidget* box = field.focusWidget();
        ASSERT_NE(box, nullptr);
        QTest::keyClick(box, ch);
    }
}

TEST(Ipv4FieldTest, addressSetIsReadBackOctetByOctet) {
    Ipv4Field field;
    field.setAddress({192, 168, 0, 255});
    EXPECT_FALSE(field.isBlank());
    EXPECT_EQ(field.address(), (Ipv4{192, 168, 0, 255}));
    EXPECT_EQ(field.octet(0), 192);
    EXPECT_EQ(field.octet(3), 255);
    EXPECT_EQ(field.octet(4), 0);
    EXPECT_EQ(field.octet(-1), 0);

    field.clear();
    EXPECT_TRUE(field.isBlank());
    EXPECT_EQ(field.address(), (Ipv4{0, 0, 0, 0}));
}

TEST(Ipv4FieldTest, zeroAddressIsNotBlank) {
    Ipv4Field field;
    field.setAddress({0, 0, 0, 0});
    EXPECT_FALSE(field.isBlank());
}

TEST(Ipv4FieldTest, typingFillsTheOctets) {
    const struct {
        const char* name;
        std::string keys;
        Ipv4 address;
        bool blank;
    } cases[] = {
        {"dots move to the next box", "10.1.2.3", {10, 1, 2, 3}, false},
        {"three digits move to the next box", "192168001010", {192, 168, 1, 10}, false},
        {"a dot after three digits moves no further", "192.168.0.20", {192, 168, 0, 20}, false},
        {"a whole mask typed with its dots", "255.255.255.0", {255, 255, 255, 0}, false},
        {"a value over 255 is refused", "256", {25, 0, 0, 0}, false},
        {"a fourth digit in the last box is refused", "1.2.3.1234", {1, 2, 3, 123}, false},
        {"a dot in an empty box is ignored", ".7", {7, 0, 0, 0}, false},
        {"letters and signs are refused", "a-1b", {1, 0, 0, 0}, false},
        {"an octet left blank reads 0", "10..5", {10, 5, 0, 0}, false},
        {"refused keys leave the field blank", "x+", {0, 0, 0, 0}, true},
    };
    for (const auto& c : cases) {
        Ipv4Field field;
        field.show();
        field.setFocus();
        type(field, c.keys);
        EXPECT_EQ(field.address(), c.address) << c.name;
        EXPECT_EQ(field.isBlank(), c.blank) << c.name;
    }
}

TEST(Ipv4FieldTest, changedIsEmittedForUserEditsOnly) {
    Ipv4Field field;
    field.show();
    QSignalSpy changed(&field, &Ipv4Field::changed);
    field.setAddress({1, 2, 3, 4});
    field.clear();
    EXPECT_EQ(changed.count(), 0);

    field.setFocus();
    type(field, "12");
    EXPECT_EQ(changed.count(), 2);

    // Text put in through the accessibility interface, as a screen reader's user does, is an
    // edit too; the box is announced as its octet.
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(field.octetBox(1));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(QAccessible::Name), "octet 2 of 4");
    box->editableTextInterface()->replaceText(0, 0, "7");
    EXPECT_EQ(field.octet(1), 7);
    EXPECT_EQ(changed.count(), 3);
}

TEST(Ipv4FieldTest, backspaceAtTheStartOfABoxGoesBackToThePreviousOne) {
    Ipv4Field field;
    field.show();
    field.setFocus();
    type(field, "10.");
    QTest::keyClick(field.focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(field.focusWidget(), Qt::Key_Backspace);
    EXPECT_FALSE(field.isBlank());
    EXPECT_EQ(field.octet(0), 1);
}

TEST(Ipv4FieldTest, wholeFieldIsOneTabStop) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QLineEdit(&window);
    auto* field = new Ipv4Field(&window);
    auto* after = new QLineEdit(&window);
    layout->addWidget(before);
    layout->addWidget(field);
    layout->addWidget(after);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(field->isAncestorOf(QApplication::focusWidget()));
    type(*field, "10.1");  // the caret is now in the second box
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), after);

    QTest::keyClick(after, Qt::Key_Backtab);
    ASSERT_TRUE(field->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), before);

    field->setFocus();
    type(*field, "10.1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), before);
}

}  // namespace
}  // namespace pelmora

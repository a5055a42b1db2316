#pragma once
// Small helpers the pages' forms share: labels that never read their text as markup, radio
// buttons set and cleared one by one, and address fields that show 0.0.0.0 as blank.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "widgets/Ipv4Field.h"

namespace pelmora {

QLabel* plainLabel(const QString& text, QWidget* parent);

// A form label that names `field`: screen readers announce the field by the label's words, and
// the letter after "&" in `text`, pressed with Alt, moves the keyboard to the field.
QLabel* buddyLabel(const QString& text, QWidget* field, QWidget* parent);

// A button's tool tip: what it does and the key that presses it (its mnemonic, "Alt+O").
void describeButton(QAbstractButton* button, const QString& what);

// Radios in an exclusive group cannot be unchecked one by one; the group lets go for a moment.
void setRadio(QRadioButton* radio, bool checked);

// Accounts and passwords reach the camera as 8-bit text, one byte per character. A character
// outside that range would be sent as "?", a different password than the one typed, so the
// field refuses it instead (typed or pasted), and says why the first time, in the language
// shown (the English words below are its source).
void acceptLatin1Only(QLineEdit* edit);
inline constexpr const char* kLatin1OnlyExplanation = QT_TRANSLATE_NOOP(
    "pelmora::FormControls",
    "Only Latin-1 characters can be sent to a camera; this character was left out.");

// A field for a password: typing is not shown, and once anything is in it the process can no
// longer be dumped, so that the password never reaches a core file.
void makePasswordField(QLineEdit* edit);

// No push button below `parent` presses on Enter or is drawn as the default: inside a dialog
// every button would otherwise be auto-default. Space still presses the focused button.
void noEnterButtons(QWidget* parent);

// A tool tip that shows `text` as it is: never read as markup, one line for each line of the
// text and no other line breaks, so that a MAC or an address is never split across two lines.
QString plainToolTip(const QString& text);

// Shows an address, or leaves the field blank for 0.0.0.0 (a camera's "none").
void showAddress(Ipv4Field* field, const Ipv4& address);

}  // namespace pelmora

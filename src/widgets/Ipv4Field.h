#pragma once
// An IPv4 address entry: four octet boxes separated by dots. Digits only, each box 0-255; the
// caret moves on to the next box after three digits or on ".", and the arrow keys cross from box
// to box. The whole field is one stop in the focus order, as an address field in an installer
// dialog is. Screen readers hear the field by its label (its buddy or its accessible name) and
// each box as "octet 1 of 4" and so on; a frame in the highlight colour shows which field has
// the keyboard.

#include <QWidget>

#include <array>

#include "protocol/Ipv4.h"

class QFrame;
class QLineEdit;

namespace pelmora {

class Ipv4Field : public QWidget {
    Q_OBJECT

  public:
    explicit Ipv4Field(QWidget* parent = nullptr);

    void setAddress(const Ipv4& address);
    void clear();
    // Blank octets read 0, so a blank field reads 0.0.0.0.
    Ipv4 address() const;
    // True when no octet holds a digit.
    bool isBlank() const;
    // The value of octet 0..3 (first octet first); 0 when blank or out of range.
    int octet(int index) const;
    // The edit box of octet 0..3, for accessibility tools and tests.
    QLineEdit* octetBox(int index) const { return boxes_.at(static_cast<std::size_t>(index)); }
    // What the field is called: its accessible name, else the text of the label whose buddy it
    // is, without the mnemonic's "&".
    QString fieldName() const;

  signals:
    // Emitted on every edit made by the user (not by setAddress or clear).
    void changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void nameOctets();
    void showFocus(bool focused);
    int boxIndex(const QObject* box) const;
    void moveTo(int index, bool caretAtEnd);
    void edited(int index);

    std::array<QLineEdit*, 4> boxes_{};
    QFrame* panel_ = nullptr;
    bool settingText_ = false;
    // The box just entered because three digits filled the one before, until its next key.
    int enteredByDigits_ = -1;
};

}  // namespace pelmora

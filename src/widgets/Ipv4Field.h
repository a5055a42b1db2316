#pragma once
// An IPv4 address entry: four octet boxes separated by dots. Digits only, each box 0-255; the
// caret moves on to the next box after three digits or on ".". The whole field is one stop in
// the Tab order, as an address field in an installer dialog is.

#include <QWidget>

#include <array>

#include "protocol/Ipv4.h"

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

  signals:
    // Emitted on every edit made by the user (not by setAddress or clear).
    void changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int boxIndex(const QObject* box) const;
    void moveTo(int index, bool caretAtEnd);
    void edited(int index);

    std::array<QLineEdit*, 4> boxes_{};
};

}  // namespace pelmora

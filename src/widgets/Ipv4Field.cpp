#include "widgets/Ipv4Field.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>

namespace pelmora {

namespace {

constexpr int kOctetDigits = 3;
constexpr int kOctetMax = 255;

// Accepts what can still become one octet: up to three ASCII digits worth at most 255. Anything
// else, a fourth digit or 256 among them, is refused as it is typed.
class OctetValidator : public QValidator {
  public:
    using QValidator::QValidator;

    State validate(QString& input, int& /*pos*/) const override {
        if (input.isEmpty()) {
            return Intermediate;
        }
        if (input.size() > kOctetDigits) {
            return Invalid;
        }
        int value = 0;
        for (const QChar ch : input) {
            if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) {
                return Invalid;
            }
            value = value * 10 + (ch.unicode() - '0');
        }
        return value <= kOctetMax ? Acceptable : Invalid;
    }
};

}  // namespace

Ipv4Field::Ipv4Field(QWidget* parent) : QWidget(parent) {
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    // One sunken panel around the four boxes, so the field looks like a single edit.
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setBackgroundRole(QPalette::Base);
    panel->setAutoFillBackground(true);
    outer->addWidget(panel);

    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);
    auto* validator = new OctetValidator(this);
    const int boxWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (i > 0) {
            row->addWidget(new QLabel(QStringLiteral("."), panel));
        }
        auto* box = new QLineEdit(panel);
        box->setFrame(false);
        box->setMaxLength(kOctetDigits);
        box->setValidator(validator);
        box->setAlignment(Qt::AlignCenter);
        box->setFixedWidth(boxWidth);
        // Only the first box is a Tab stop; the others are reached by typing or by clicking.
        box->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        box->installEventFilter(this);
        const int index = static_cast<int>(i);
        connect(box, &QLineEdit::textEdited, this, [this, index] { edited(index); });
        row->addWidget(box);
        boxes_[i] = box;
    }
    row->addStretch();
    setFocusProxy(boxes_[0]);
}

void Ipv4Field::setAddress(const Ipv4& address) {
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i]->setText(QString::number(address[i]));
    }
}

void Ipv4Field::clear() {
    for (QLineEdit* box : boxes_) {
        box->clear();
    }
}

Ipv4 Ipv4Field::address() const {
    Ipv4 result{};
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<std::uint8_t>(octet(static_cast<int>(i)));
    }
    return result;
}

bool Ipv4Field::isBlank() const {
    for (const QLineEdit* box : boxes_) {
        if (!box->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

int Ipv4Field::octet(int index) const {
    if (index < 0 || index >= static_cast<int>(boxes_.size())) {
        return 0;
    }
    // The validator keeps every box at three digits and 255 at most; the bound is kept here too
    // so a value can never wrap when it is narrowed to a byte.
    const int value = boxes_[static_cast<std::size_t>(index)]->text().toInt();
    return value >= 0 && value <= kOctetMax ? value : 0;
}

bool Ipv4Field::eventFilter(QObject* watched, QEvent* event) {
    const int index = boxIndex(watched);
    if (index < 0 || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QLineEdit* box = boxes_[static_cast<std::size_t>(index)];
    const int last = static_cast<int>(boxes_.size()) - 1;
    switch (key->key()) {
        case Qt::Key_Period:
            // "." ends an octet that has digits; in an empty box or the last box it is ignored.
            if (index < last && !box->text().isEmpty()) {
                moveTo(index + 1, false);
            }
            return true;
        case Qt::Key_Backspace:
            if (index > 0 && box->cursorPosition() == 0 && !box->hasSelectedText()) {
                moveTo(index - 1, true);
                return true;
            }
            break;
        case Qt::Key_Left:
            if (index > 0 && box->cursorPosition() == 0 && !box->hasSelectedText()) {
                moveTo(index - 1, true);
                return true;
            }
            break;
        case Qt::Key_Right:
            if (index < last && box->cursorPosition() == box->text().size()) {
                moveTo(index + 1, false);
                return true;
            }
            break;
        case Qt::Key_Backtab:
            // Shift+Tab from an inner box leaves the field rather than stopping at its first box.
            if (index > 0) {
                boxes_[0]->setFocus(Qt::BacktabFocusReason);
                focusNextPrevChild(false);
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

int Ipv4Field::boxIndex(const QObject* box) const {
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (boxes_[i] == box) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Ipv4Field::moveTo(int index, bool caretAtEnd) {
    QLineEdit* box = boxes_[static_cast<std::size_t>(index)];
    box->setFocus(Qt::OtherFocusReason);
    if (caretAtEnd) {
        box->deselect();
        box->setCursorPosition(box->text().size());
    } else {
        // Entering a box by typing replaces what it held.
        box->selectAll();
    }
}

void Ipv4Field::edited(int index) {
    const QLineEdit* box = boxes_[static_cast<std::size_t>(index)];
    if (index < static_cast<int>(boxes_.size()) - 1 && box->text().size() == kOctetDigits &&
        box->cursorPosition() == kOctetDigits) {
        moveTo(index + 1, false);
    }
    emit changed();
}

}  // namespace pelmora

#include "widgets/Ipv4Field.h"

#include "widgets/AccessibleControls.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
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

// The sunken panel around the four boxes. The boxes have no frames of their own, so the panel
// shows the keyboard focus for them: its edge is drawn in the highlight colour, without changing
// its size.
class OctetPanel final : public QFrame {
  public:
    using QFrame::QFrame;

    void setFocused(bool focused) {
        if (focused_ != focused) {
            focused_ = focused;
            update();
        }
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        if (focused_) {
            QPainter painter(this);
            painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
            painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        }
    }

  private:
    bool focused_ = false;
};

}  // namespace

Ipv4Field::Ipv4Field(QWidget* parent) : QWidget(parent) {
    installAccessibleControls();
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    // One sunken panel around the four boxes, so the field looks like a single edit.
    auto* panel = new OctetPanel(this);
    panel_ = panel;
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
        // Only the first box is a stop of the focus walk; the others are reached by typing, by the
        // arrow keys or by clicking.
        box->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        box->installEventFilter(this);
        const int index = static_cast<int>(i);
        connect(box, &QLineEdit::textEdited, this, [this, index] { edited(index); });
        // Text put in by an accessibility tool (not typed, not set by the page) is an edit too.
        connect(box, &QLineEdit::textChanged, this, [this, box] {
            if (!settingText_ && !box->isModified()) {
                emit changed();
            }
        });
        row->addWidget(box);
        boxes_[i] = box;
    }
    row->addStretch();
    setFocusProxy(boxes_[0]);
    // A label's letter moves the focus only to a field that says it takes focus.
    setFocusPolicy(Qt::StrongFocus);
    nameOctets();
}

QString Ipv4Field::fieldName() const {
    QString name = accessibleName();
    if (name.isEmpty() && parentWidget() != nullptr) {
        for (const auto* label :
             parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (label->buddy() == this) {
                name = label->text();
                break;
            }
        }
    }
    // "&IP address" is read "IP address"; "&&" stands for one "&".
    QString plain;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == QLatin1Char('&') && i + 1 < name.size()) {
            ++i;
        }
        plain += name[i];
    }
    return plain;
}

// Each box is "octet N of 4"; the field's own name goes with it as the box's description, for
// a reader that does not announce the group it enters.
void Ipv4Field::nameOctets() {
    const QString field = fieldName();
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i]->setAccessibleName(tr("octet %1 of %2").arg(i + 1).arg(boxes_.size()));
        boxes_[i]->setAccessibleDescription(field);
    }
}

// The label and the accessible name are given after the field is made; the boxes learn them
// when the field is first laid out and each time it is shown.
bool Ipv4Field::event(QEvent* event) {
    if (event->type() == QEvent::Polish || event->type() == QEvent::Show) {
        nameOctets();
    }
    return QWidget::event(event);
}

void Ipv4Field::showFocus(bool focused) {
    static_cast<OctetPanel*>(panel_)->setFocused(focused);
}

void Ipv4Field::setAddress(const Ipv4& address) {
    settingText_ = true;
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i]->setText(QString::number(address[i]));
    }
    settingText_ = false;
}

void Ipv4Field::clear() {
    settingText_ = true;
    for (QLineEdit* box : boxes_) {
        box->clear();
    }
    settingText_ = false;
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
    if (index >= 0 && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // Moving between the boxes of this field keeps the frame lit.
        const QWidget* now = QApplication::focusWidget();
        showFocus(event->type() == QEvent::FocusIn || (now != nullptr && isAncestorOf(now)));
    }
    if (index < 0 || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QLineEdit* box = boxes_[static_cast<std::size_t>(index)];
    const int last = static_cast<int>(boxes_.size()) - 1;
    const bool enteredByDigits = enteredByDigits_ == index;
    enteredByDigits_ = -1;
    switch (key->key()) {
        case Qt::Key_Period:
            // The "." typed after three digits was already taken by the move to this box:
            // "192.168.0.20" typed whole fills the four boxes in turn.
            if (enteredByDigits) {
                return true;
            }
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
        enteredByDigits_ = index + 1;
    }
    emit changed();
}

}  // namespace pelmora

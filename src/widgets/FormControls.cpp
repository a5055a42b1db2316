#include "widgets/FormControls.h"

#include <QButtonGroup>
#include <QKeySequence>
#include <QPushButton>
#include <QToolTip>
#include <QValidator>

#include "protocol/CoreDumps.h"

namespace pelmora {

QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* buddyLabel(const QString& text, QWidget* field, QWidget* parent) {
    auto* label = plainLabel(text, parent);
    label->setBuddy(field);
    return label;
}

void describeButton(QAbstractButton* button, const QString& what) {
    const QKeySequence key = QKeySequence::mnemonic(button->text());
    button->setToolTip(key.isEmpty() ? what
                                     : QStringLiteral("%1 (%2)").arg(
                                           what, key.toString(QKeySequence::NativeText)));
}

void setRadio(QRadioButton* radio, bool checked) {
    if (radio->isChecked() == checked) {
        return;
    }
    QButtonGroup* group = radio->group();
    if (!checked && group != nullptr) {
        group->setExclusive(false);
        radio->setChecked(false);
        group->setExclusive(true);
    } else {
        radio->setChecked(checked);
    }
}

namespace {

// Refuses text with a character outside 8-bit text and, the first time it does so in its field,
// says why beside the field: a keystroke that silently does nothing looks like a broken keyboard.
class Latin1Validator final : public QValidator {
  public:
    explicit Latin1Validator(QLineEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int&) const override {
        for (const QChar c : input) {
            if (c.unicode() == 0 || c.unicode() > 0xFF) {
                explainOnce();
                return Invalid;
            }
        }
        return Acceptable;
    }

  private:
    void explainOnce() const {
        if (explained_) {
            return;
        }
        explained_ = true;
        const QString why =
            QCoreApplication::translate("pelmora::FormControls", kLatin1OnlyExplanation);
        edit_->setToolTip(why);
        QToolTip::showText(edit_->mapToGlobal(QPoint(0, edit_->height())), why, edit_);
    }

    QLineEdit* edit_;
    mutable bool explained_ = false;
};

}  // namespace

void acceptLatin1Only(QLineEdit* edit) {
    edit->setValidator(new Latin1Validator(edit));
}

void makePasswordField(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    // Typed, pasted or set through the accessibility interface alike.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [](const QString& text) {
        if (!text.isEmpty()) {
            keepSecretsOutOfCoreDumps();
        }
    });
}

void noEnterButtons(QWidget* parent) {
    for (auto* button : parent->findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

QString plainToolTip(const QString& text) {
    // Plain text in a tool tip would be guessed at (a camera's "<b>" read as bold); rich text
    // wraps where the line-breaking rules allow, which includes inside "02:50:4D:00:00:03".
    // Preformatted text breaks only at its own line ends.
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

void showAddress(Ipv4Field* field, const Ipv4& address) {
    if (address == Ipv4{}) {
        field->clear();
    } else {
        field->setAddress(address);
    }
}

}  // namespace pelmora

#include "app/FormControls.h"

#include <QButtonGroup>
#include <QRegularExpressionValidator>

namespace pelmora {

QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
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

void acceptLatin1Only(QLineEdit* edit) {
    static const QRegularExpression latin1("[\\x{1}-\\x{FF}]*");
    edit->setValidator(new QRegularExpressionValidator(latin1, edit));
}

void showAddress(Ipv4Field* field, const Ipv4& address) {
    if (address == Ipv4{}) {
        field->clear();
    } else {
        field->setAddress(address);
    }
}

}  // namespace pelmora

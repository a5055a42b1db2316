#include "app/FormControls.h"

#include <QButtonGroup>

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

void showAddress(Ipv4Field* field, const Ipv4& address) {
    if (address == Ipv4{}) {
        field->clear();
    } else {
        field->setAddress(address);
    }
}

}  // namespace pelmora

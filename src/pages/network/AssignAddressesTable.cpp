#include "pages/network/AssignAddressesTable.h"

#include "widgets/FormControls.h"

namespace pelmora::assign_addresses {

QString addressText(const NetworkSettings& s) {
    return s.dhcp ? QStringLiteral("DHCP") : QString::fromStdString(formatIpv4(s.ipAddress));
}

bool succeeded(const std::string& result) {
    return result == "verified" || result == "unchanged";
}

void showLine(QLabel* label, const QString& text) {
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

void setCellText(QTableWidgetItem* item, const QString& text) {
    if (item->text() == text) {
        return;
    }
    item->setText(text);
    item->setToolTip(text.isEmpty() ? QString() : plainToolTip(text));
}

}  // namespace pelmora::assign_addresses

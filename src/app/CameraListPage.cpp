#include "app/CameraListPage.h"

#include <QVBoxLayout>

namespace pelmora {

CameraListPage::CameraListPage(std::vector<GridColumn> columns, AddressColumn address,
                               QWidget* parent)
    : SettingsPage(std::move(columns), 5000, parent), address_(address) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addStretch();
}

CameraListPage* CameraListPage::pppoe(QWidget* parent) {
    return new CameraListPage({{"MAC address", 1700},
                               {"PPPoE IP address", 1600},
                               {"Model", 1350},
                               {"Serial No.", 1160},
                               {"Version No.", 1300},
                               {"", 7000}},
                              AddressColumn::PppoeIpAddress, parent);
}

std::vector<std::string> CameraListPage::rowCells(const CameraRecord& record) const {
    return cameraRowCells(record, address_);
}

// The PPPoE page's address column sorts by the PPPoE address.
int CameraListPage::sortFlag(int column) const {
    return address_ == AddressColumn::PppoeIpAddress && column == 1 ? 1 : 0;
}

}  // namespace pelmora

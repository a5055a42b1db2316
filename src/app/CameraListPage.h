#pragma once
// A MAC-keyed page that so far shows only its camera grid (its form is still to come): the
// PPPoE tab.

#include "app/SettingsPage.h"

namespace pelmora {

class CameraListPage final : public SettingsPage {
    Q_OBJECT

  public:
    CameraListPage(std::vector<GridColumn> columns, AddressColumn address,
                   QWidget* parent = nullptr);

    static CameraListPage* pppoe(QWidget* parent);

  protected:
    std::vector<std::string> rowCells(const CameraRecord& record) const override;
    void clearSelection() override {}
    void fillForm(const CameraRecord&) override {}
    int sortFlag(int column) const override;

  private:
    AddressColumn address_;
};

}  // namespace pelmora

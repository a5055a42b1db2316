#pragma once
// "Assign addresses…": consecutive fixed addresses for the cameras selected on the Network page,
// checked as a whole plan and previewed camera by camera (current address, planned address,
// what stands in the way). The plan is saved as CSV, the form that `pelmora-cli apply-plan`
// reads; nothing is sent from here.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <functional>
#include <string>
#include <vector>

#include "lan/LanSnapshot.h"
#include "model/CameraTable.h"
#include "plan/NetworkPlan.h"
#include "widgets/Ipv4Field.h"

namespace pelmora {

class AssignAddressesDialog final : public QDialog {
    Q_OBJECT

  public:
    // Where a saved plan goes; tests give a path, the window asks the person.
    using SavePath = std::function<QString()>;

    AssignAddressesDialog(std::vector<std::string> macs, const CameraTable& table,
                          const LanSnapshot* lan, SavePath savePath, QWidget* parent = nullptr);

    Ipv4Field* startField() const { return start_; }
    QSpinBox* stepBox() const { return step_; }
    Ipv4Field* maskField() const { return mask_; }
    Ipv4Field* gatewayField() const { return gateway_; }
    QTableWidget* preview() const { return preview_; }
    QLabel* reasons() const { return reasons_; }
    QPushButton* saveButton() const { return save_; }

    // The plan as the fields make it now.
    const std::vector<PlanRow>& plan() const { return rows_; }
    // Rebuilds the plan and its preview from the fields; every edit runs it.
    void updatePreview();

  private:
    void savePlan();

    std::vector<std::string> macs_;
    const CameraTable& table_;
    const LanSnapshot* lan_;
    SavePath savePath_;
    Ipv4Field* start_;
    QSpinBox* step_;
    Ipv4Field* mask_;
    Ipv4Field* gateway_;
    Ipv4Field* dns1_;
    QTableWidget* preview_;
    QLabel* reasons_;
    QPushButton* save_;
    std::vector<PlanRow> rows_;
};

}  // namespace pelmora

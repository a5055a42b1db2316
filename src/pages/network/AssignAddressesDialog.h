#pragma once
// "Assign addresses…": consecutive fixed addresses for the cameras selected on the Network page,
// checked as a whole plan and previewed camera by camera (current address, planned address,
// what stands in the way). The plan is applied from here one camera at a time, each confirmed
// by its next reply, or saved as CSV, the form that `pelmora-cli apply-plan` reads. ONVIF cameras
// (chosen on the ONVIF page) are planned alike and sent the standard's requests, each looked for
// at its new address.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "changelog/PlanLock.h"
#include "lan/LanSnapshot.h"
#include "model/CameraTable.h"
#include "onvif/OnvifCamera.h"
#include "plan/NetworkPlan.h"
#include "plan/OnvifPlanStep.h"
#include "plan/PlanRun.h"
#include "widgets/Ipv4Field.h"
#include "widgets/PageServices.h"

namespace pelmora {

// The ONVIF cameras a plan may name, as the window read them, and how to reach them.
struct OnvifPlanParty {
    std::vector<onvif::OnvifCamera> cameras;
    OnvifPlanAccess access;
};

class AssignAddressesDialog final : public QDialog {
    Q_OBJECT

  public:
    // Where a saved plan goes; tests give a path, the window asks the person.
    using SavePath = std::function<QString()>;

    AssignAddressesDialog(std::vector<std::string> macs, CameraTable& table, PageServices services,
                          const LanSnapshot* lan, SavePath savePath, QWidget* parent = nullptr,
                          OnvifPlanParty onvif = {});
    ~AssignAddressesDialog() override;

    Ipv4Field* startField() const { return start_; }
    QSpinBox* stepBox() const { return step_; }
    Ipv4Field* maskField() const { return mask_; }
    Ipv4Field* gatewayField() const { return gateway_; }
    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* passwordEdit() const { return password_; }
    QSpinBox* confirmSecondsBox() const { return confirmSeconds_; }
    QTableWidget* preview() const { return preview_; }
    QLabel* reasons() const { return reasons_; }
    QLabel* progress() const { return progress_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* retryButton() const { return retry_; }
    QPushButton* saveButton() const { return save_; }

    // The plan as the fields make it now.
    const std::vector<PlanRow>& plan() const { return rows_; }
    // Rebuilds the plan and its preview from the fields; every edit runs it.
    void updatePreview();
    // Moves an applying plan on; a timer runs it while the plan is under way.
    void advance();
    bool applying() const { return run_ != nullptr; }

    // The last line of a run: "Done: 1 of 5 cameras verified or unchanged, 0 failed", with
    // ", 4 stopped" when a stop kept cameras back.
    static QString doneText(int good, int total, int failed, int stopped);

    // While a plan is under way the dialog stays: closing asks it to stop after the camera under
    // way instead.
    void reject() override;

  private:
    void savePlan();
    void applyPlan();
    void retryFailed();
    void requestStop();
    // Starts sending to `macs` (a subset of the plan's cameras), checked again against what is
    // listed now; false when nothing was started.
    bool startRun(const std::vector<std::string>& macs);
    void finishRun();
    void showResults();
    void showOutcome(std::size_t row, bool underWay);
    void updateButtons();
    int rowOf(const std::string& mac) const;
    PlanCheck checkAgainstListing(const std::vector<PlanRow>& rows) const;
    const onvif::OnvifCamera* onvifCamera(const std::string& mac) const;
    // Our cameras need the administrator's name and password; ONVIF cameras, the ONVIF page's.
    bool needsAdministrator() const;

    std::vector<std::string> macs_;
    CameraTable& table_;
    PageServices services_;
    const LanSnapshot* lan_;
    SavePath savePath_;
    // Their addressing is brought up to date as each one is verified, for Retry failed.
    OnvifPlanParty onvif_;
    Ipv4Field* start_;
    QSpinBox* step_;
    Ipv4Field* mask_;
    Ipv4Field* gateway_;
    Ipv4Field* dns1_;
    QLineEdit* name_;
    QLineEdit* password_;
    QSpinBox* confirmSeconds_;
    QTableWidget* preview_;
    QLabel* reasons_;
    QLabel* progress_;
    QPushButton* apply_;
    QPushButton* stop_;
    QPushButton* retry_;
    QPushButton* save_;
    std::vector<PlanRow> rows_;
    // Once applied, the plan is no longer edited: every result stands for the plan shown.
    bool planFixed_ = false;
    // One per camera of the dialog, "" until known: "verified", "unchanged", "NG", …
    std::vector<std::string> results_;
    std::unique_ptr<PlanRun> run_;
    // Held while run_ is: one plan at a time on this PC.
    PlanLock lock_;
    // The dialog's row of each of the run's steps, in sending order.
    std::vector<std::size_t> stepRows_;
    QTimer advanceTimer_;
};

}  // namespace pelmora

// The Assign addresses dialog's run: the plan sent one camera at a time, each confirmed by its
// next reply, with Stop, Retry failed and the results in the table as they come.
#include "pages/network/AssignAddressesDialog.h"

#include <QDialog>
#include <algorithm>
#include <chrono>

#include "changelog/StateDirectory.h"
#include "pages/SettingsPage.h"
#include "pages/network/AssignAddressesTable.h"
#include "settings/SettingSender.h"
#include "settings/onvif/OnvifNetworkRules.h"
#include "widgets/MessagePort.h"

namespace pelmora {

using namespace assign_addresses;

namespace {

constexpr int kAdvancePeriodMs = 100;

}  // namespace

void AssignAddressesDialog::applyPlan() {
    updatePreview();
    if (!apply_->isEnabled()) {
        return;
    }
    planFixed_ = true;
    if (!startRun(macs_)) {
        // Nothing was sent: the plan may still be edited.
        planFixed_ = false;
        updateButtons();
    }
}

void AssignAddressesDialog::retryFailed() {
    std::vector<std::string> failed;
    for (std::size_t i = 0; i < macs_.size(); ++i) {
        if (!results_[i].empty() && !succeeded(results_[i])) {
            failed.push_back(macs_[i]);
        }
    }
    startRun(failed);
}

// The plan is checked again against the cameras listed now (one may have gone, or another taken
// a planned address meanwhile); a camera that already reports its planned settings is unchanged.
bool AssignAddressesDialog::startRun(const std::vector<std::string>& macs) {
    const auto check = checkAgainstListing(rows_);
    if (!check.refusals.empty()) {
        QStringList problems;
        for (const auto& reason : check.refusals) {
            problems << cameraText(reason);
        }
        showLine(reasons_, tr("Plan refused:") + '\n' + problems.join('\n'));
        updateButtons();
        return false;
    }
    // One plan at a time on this PC, pelmora-cli apply-plan's included.
    PlanLock lock(stateDirectory());
    if (!lock.held()) {
        if (services_.messages != nullptr) {
            QString text = QString::fromLocal8Bit(lock.trouble().data(),
                                                  static_cast<qsizetype>(lock.trouble().size()));
            text[0] = text[0].toUpper();
            caution(*services_.messages, text + '.');
        }
        return false;
    }
    lock_ = std::move(lock);
    showLine(reasons_, {});
    PlanCheck chosen;
    for (const auto& camera : check.cameras) {
        if (std::find(macs.begin(), macs.end(), camera.mac) == macs.end()) {
            continue;
        }
        if (camera.unchanged) {
            results_[static_cast<std::size_t>(rowOf(camera.mac))] = "unchanged";
        } else {
            results_[static_cast<std::size_t>(rowOf(camera.mac))].clear();
        }
    }
    chosen.cameras = check.cameras;
    for (const auto i : check.order) {
        if (std::find(macs.begin(), macs.end(), check.cameras[i].mac) != macs.end()) {
            chosen.order.push_back(i);
        }
    }
    auto steps = planSteps(chosen, name_->text().toLatin1().toStdString(),
                           password_->text().toLatin1().toStdString());
    PlanRun::Hooks hooks{
        [this](const PlanApplier::Step& step) {
            if (services_.routeAnswers) {
                services_.routeAnswers(step.mac, [this](bool accepted, const std::string& words) {
                    if (run_) {
                        run_->answered({accepted, words}, PlanRun::Clock::now());
                        advance();
                    }
                });
            }
            return sendSettingRequest(table_, services_.send, step.mac, step.request) == 0;
        },
        [this] {
            if (services_.enquireNow) {
                services_.enquireNow();
            }
        },
        onvif_.cameras.empty() ? std::nullopt : std::optional(onvif_.access)};
    stepRows_.clear();
    for (const auto& step : steps) {
        stepRows_.push_back(static_cast<std::size_t>(rowOf(step.mac)));
    }
    run_ = std::make_unique<PlanRun>(table_, std::move(hooks), std::move(steps),
                                     std::chrono::seconds(confirmSeconds_->value()));
    advanceTimer_.start(kAdvancePeriodMs);
    updateButtons();
    advance();
    return true;
}

void AssignAddressesDialog::advance() {
    if (!run_) {
        return;
    }
    run_->advance(PlanRun::Clock::now());
    showResults();
    if (run_->applier().finished()) {
        finishRun();
    }
}

void AssignAddressesDialog::showResults() {
    const auto& applier = run_->applier();
    for (std::size_t k = 0; k < stepRows_.size(); ++k) {
        if (!applier.results()[k].empty()) {
            results_[stepRows_[k]] = applier.results()[k];
        }
    }
    const auto* current = applier.current();
    int done = 0;
    for (std::size_t i = 0; i < macs_.size(); ++i) {
        QString text = cameraText(results_[i]);
        const bool underWay = current != nullptr && current->mac == macs_[i];
        if (underWay) {
            text = applier.state() == PlanApplier::State::AwaitingAnswer
                       ? tr("awaiting the answer")
                       : tr("awaiting the new settings");
        }
        done += results_[i].empty() ? 0 : 1;
        // Ten times a second over up to 1,024 rows: only a changed cell is redrawn.
        auto* item = preview_->item(static_cast<int>(i), kResultColumn);
        if (item->text() != text) {
            setCellText(item, text);
            showOutcome(i, underWay);
        }
    }
    if (!applier.finished() && stop_->isEnabled()) {
        showLine(progress_, tr("Applying: %1 of %2 cameras done").arg(done).arg(macs_.size()));
    }
}

void AssignAddressesDialog::finishRun() {
    advanceTimer_.stop();
    if (services_.routeAnswers) {
        services_.routeAnswers({}, {});
    }
    // Cameras a stop left out were never sent anything.
    const auto& applier = run_->applier();
    for (std::size_t k = 0; k < stepRows_.size(); ++k) {
        if (applier.results()[k].empty()) {
            results_[stepRows_[k]] = "stopped";
        }
        // An ONVIF camera is known from its reading: a verified one is where the plan put it.
        const auto& step = applier.steps()[k];
        if (step.onvif && applier.results()[k] == "verified") {
            for (auto& camera : onvif_.cameras) {
                if (camera.mac && camera.mac->text() == step.mac) {
                    camera.dhcp = step.planned.dhcp;
                    camera.ipAddress = step.planned.ipAddress;
                    camera.prefixLength = prefixOfMask(step.planned.subnetMask);
                }
            }
        }
    }
    run_.reset();
    lock_.release();
    int good = 0;
    int failed = 0;
    int stopped = 0;
    for (std::size_t i = 0; i < macs_.size(); ++i) {
        setCellText(preview_->item(static_cast<int>(i), kResultColumn), cameraText(results_[i]));
        showOutcome(i, false);
        (succeeded(results_[i]) ? good : results_[i] == "stopped" ? stopped : failed) += 1;
    }
    showLine(progress_, doneText(good, static_cast<int>(macs_.size()), failed, stopped));
    updateButtons();
}

// A camera's row once its step is under way or over: the sending order no longer applies, and a
// verified camera's current address is the one it reports now.
void AssignAddressesDialog::showOutcome(std::size_t row, bool underWay) {
    const int r = static_cast<int>(row);
    if (underWay || !results_[row].empty()) {
        preview_->item(r, kNotesColumn)->setText({});
    }
    if (succeeded(results_[row])) {
        if (const auto record = table_.findByMac(macs_[row])) {
            preview_->item(r, kCurrentColumn)->setText(addressText(currentSettings(*record)));
        } else if (onvifCamera(macs_[row]) != nullptr && results_[row] == "verified") {
            // Found at its planned address.
            preview_->item(r, kCurrentColumn)->setText(preview_->item(r, 3)->text());
        }
    }
}

QString AssignAddressesDialog::doneText(int good, int total, int failed, int stopped) {
    QString text = tr("Done: %1 of %2 cameras verified or unchanged").arg(good).arg(total);
    // Cameras a stop kept back were never sent anything: they did not fail.
    if (failed > 0 || stopped == 0) {
        text += tr(", %1 failed").arg(failed);
    }
    if (stopped > 0) {
        text += tr(", %1 stopped").arg(stopped);
    }
    return text;
}

void AssignAddressesDialog::requestStop() {
    if (run_) {
        run_->stop();
        showLine(progress_, tr("Stopping after the camera under way…"));
        updateButtons();
    }
}

}  // namespace pelmora

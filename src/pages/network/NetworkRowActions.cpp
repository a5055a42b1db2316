#include "pages/network/NetworkPage.h"

// What the Network list's context menu and keys do with the chosen rows: copy them as text,
// suggest a free address, assign addresses from a plan, export them.

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>

#include "listing/CameraRowText.h"
#include "model/FixedText.h"
#include "pages/network/AssignAddressesDialog.h"
#include "widgets/FileFolder.h"
#include "widgets/FormControls.h"
#include "widgets/MessagePort.h"

namespace pelmora {

// ---- Copy ----

QString NetworkPage::rowText(int row) const {
    const std::string& mac = model_->macAt(row);
    if (mac.empty() || table_ == nullptr) {
        return {};
    }
    // From the camera's record as the table has it now: the row shows neither a DHCP camera's
    // lease nor any camera's port.
    const auto record = table_->findByMac(mac);
    return record ? cameraText(cameraRowText(*record)) : QString();
}

void NetworkPage::copyRows(int lo, int hi) {
    QString text;
    const auto& leftOut = list_->rowsLeftOut();
    for (int row = lo; row <= hi; ++row) {
        if (std::find(leftOut.begin(), leftOut.end(), row) == leftOut.end()) {
            text += rowText(row);
        }
    }
    QGuiApplication::clipboard()->setText(text);
}

void NetworkPage::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = list_->mapFromGlobal(event->globalPos());
    const int bottom = std::min(rowHeightPx_ * (listed_ + 1), list_->height());
    // The row actions only over a listed camera's row inside the list; elsewhere on the list,
    // what every page offers.
    if (!list_->selectionShown() || at.x() <= 0 || at.x() >= list_->width() ||
        at.y() <= rowHeightPx_ || at.y() >= bottom) {
        SettingsPage::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("&Copy"));
    const int clicked = list_->anchorRow() == list_->extentRow() ? list_->anchorRow() : -1;
    QAction* suggest = menu.addAction(tr("&Suggest a free address"));
    suggest->setEnabled(clicked >= 0 && canSuggestAddress(clicked));
    QAction* assign = menu.addAction(tr("&Assign addresses…"));
    assign->setEnabled(chosenRows().size() > 1);
    menu.addSeparator();
    addRecordActions(menu);
    QAction* chosen = menu.exec(event->globalPos());
    // Every row action takes the cameras chosen, never the rows between them.
    const auto [lo, hi] = selectionRange();
    const std::vector<int> leftOut = list_->rowsLeftOut();
    const std::vector<int> rows = chosenRows();
    if (chosen == copy) {
        QString text;
        for (const int row : rows) {
            text += rowText(row);
        }
        QGuiApplication::clipboard()->setText(text);
    }
    if (chosen == suggest) {
        suggestAddress(clicked);
        return;
    }
    if (chosen == assign) {
        std::vector<std::string> macs;
        for (const int row : rows) {
            macs.push_back(model_->macAt(row));
        }
        assignAddresses(std::move(macs), {});
    }
    restoreSelection(lo, hi, leftOut);
    list_->viewport()->update();
}

void NetworkPage::assignAddresses(std::vector<std::string> macs, OnvifPlanParty party) {
    AssignAddressesDialog dialog(
        std::move(macs), *table_, services_, lan(),
        [this] { return askSavePath(this, tr("Save plan"), "plan.csv", tr("CSV (*.csv)")); }, this,
        std::move(party));
    dialog.exec();
}

void NetworkPage::assignOnvifAddresses(OnvifPlanParty party) {
    std::vector<std::string> macs;
    for (const auto& camera : party.cameras) {
        if (camera.mac) {
            macs.push_back(camera.mac->text());
        }
    }
    if (table_ != nullptr && !macs.empty()) {
        assignAddresses(std::move(macs), std::move(party));
    }
}

std::vector<CameraRecord> NetworkPage::exportedRecords() const {
    auto records = listedRecords();
    const std::vector<int> rows = chosenRows();
    if (rows.size() < 2) {
        return records;
    }
    std::vector<std::string> macs;
    for (const int row : rows) {
        macs.push_back(model_->macAt(row));
    }
    std::erase_if(records, [&](const CameraRecord& r) {
        return std::find(macs.begin(), macs.end(), fieldText(r.mac)) == macs.end();
    });
    return records;
}

// ---- A free address for a camera out of reach ----

std::optional<SuggestedAddressing> NetworkPage::addressFor(int row) const {
    if (lan() == nullptr || row < 0 || row >= listed_) {
        return std::nullopt;
    }
    const std::string& mac = model_->macAt(row);
    const CameraDiagnosis* diagnosis = lan()->find(mac);
    if (diagnosis == nullptr || diagnosis->interface < 0 ||
        (diagnosis->problems & (kProblemOtherSubnet | kProblemDuplicateIp)) == 0) {
        return std::nullopt;
    }
    const auto& on = lan()->interfaces()[static_cast<std::size_t>(diagnosis->interface)];
    if (on.loopback) {
        return std::nullopt;
    }
    return suggestFreeAddress(on, lan()->cameras(), lan()->interfaces(), lan()->otherAddresses());
}

bool NetworkPage::canSuggestAddress(int row) const {
    return addressFor(row).has_value();
}

// Selects the camera and fills the form with a fixed address that puts it on this PC's
// network. Nothing is sent: the person reviews the form and presses OK as always.
void NetworkPage::suggestAddress(int row) {
    const auto suggestion = addressFor(row);
    if (!suggestion) {
        return;
    }
    list_->setAnchorRow(row);
    keyboardSelect_ = true;
    selectRow();
    keyboardSelect_ = false;
    if (formCameraMac().empty()) {
        return;
    }
    setRadio(dhcp_, false);
    setRadio(fixed_, true);
    applyFixedRule();
    ip_->setAddress(suggestion->ipAddress);
    mask_->setAddress(suggestion->subnetMask);
    showAddress(gateway_, suggestion->gateway);
    if (services_.messages != nullptr) {
        services_.messages->show(
            tr("Suggest a free address"),
            tr("%1 is not used by any camera that answered, but a device that is not a "
               "camera may still use it. Check before pressing OK.")
                .arg(QString::fromStdString(formatIpv4(suggestion->ipAddress))),
            MessagePort::Icon::Information);
    }
}

}  // namespace pelmora

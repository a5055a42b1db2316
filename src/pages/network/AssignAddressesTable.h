#pragma once
// The Assign addresses dialog's table and lines as both its halves write them: the preview as the
// plan is typed, and the results as the plan is applied.

#include <QLabel>
#include <QString>
#include <QTableWidgetItem>
#include <string>

#include "settings/network/NetworkSettings.h"

namespace pelmora::assign_addresses {

inline constexpr int kCurrentColumn = 2;
inline constexpr int kNotesColumn = 4;
inline constexpr int kResultColumn = 5;

// "DHCP", or the fixed address.
QString addressText(const NetworkSettings& s);

// Whether a camera's result counts as done: "verified" or "unchanged".
bool succeeded(const std::string& result);

// A line under the table; an empty one takes no room from the table.
void showLine(QLabel* label, const QString& text);

// A cell's text, with the whole of it as a tool tip for when the column cuts it short.
void setCellText(QTableWidgetItem* item, const QString& text);

}  // namespace pelmora::assign_addresses

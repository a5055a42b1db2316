#pragma once
// A network plan as CSV text: the header names columns by the keys "discover --json" prints, one
// row per camera.

#include <string>
#include <string_view>
#include <vector>

#include "plan/PlanRow.h"

namespace pelmora {

struct PlanRead {
    std::vector<PlanRow> rows;
    std::vector<std::string> errors;  // one per unreadable line or cell; empty when all read
};

// The plan in a CSV text: `mac` is required, other columns are ignored. A leading "'" that
// guarded text against spreadsheet formulas is dropped. A column the plan reads named twice, and
// a header without rows, are errors.
PlanRead readPlan(std::string_view csvText);

// The plan as CSV with the columns it sets, in the order the JSON keys stand. An address or
// mask of 0.0.0.0 is written out, as an empty cell there means "as the camera reports".
std::string formatPlan(const std::vector<PlanRow>& rows);

}  // namespace pelmora

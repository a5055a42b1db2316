#pragma once
// A network plan as a whole: the addressing many cameras should have, one row per camera. For
// code that works with every part of a plan (the Assign addresses dialog makes one, checks it,
// previews it and saves it); each part has a header of its own for the rest.

#include "plan/AddressPlan.h"   // numbering cameras for a new plan
#include "plan/PlanCheck.h"     // checking a plan and ordering its moves
#include "plan/PlanCsv.h"       // a plan as CSV text
#include "plan/PlanRow.h"       // one camera's row
#include "plan/PlanSettings.h"  // what a row means for one camera's settings

#pragma once

#include "ui/plan_port.h"

#include <QStringList>

namespace pa {

// Builds the plan window from the plan module, loaded at the first call from the first of the
// places that holds it (the last place is named when none does). A module that will not load
// or lacks its entry gives the loader's reason and no window; the module stays loaded for the
// rest of the run once a window came from it.
PlanFactory planModuleFactory(QStringList places);

// The room sheets' painter from the same module, found the same way at each call.
SheetSource planSheetSource(QStringList places);

} // namespace pa

#include "app/main_form.h"

namespace vorsant {

// Every use opens another window; the window copies the record at once and
// never sees the trial again.
void TMainForm::LaboratoryGraphExecute() {
  if (TMDIChild* w = ui_.ActiveTrialWindow())
    ui_.ShowGraphWindow(GraphWindowKind::Laboratory, w->WineClass.WineRec);
}

void TMainForm::ProductionGraphExecute() {
  if (TMDIChild* w = ui_.ActiveTrialWindow())
    ui_.ShowGraphWindow(GraphWindowKind::Production, w->WineClass.WineRec);
}

}  // namespace vorsant

#include "app/edit_data_flow.h"

#include "app/main_form.h"

namespace vorsant {

std::optional<DataFailure> CheckDataDialog(DataInput& input, UiPort& ui) {
  std::optional<DataFailure> failure = DataRangeCheck(input);
  if (failure)
    ui.ShowMessage(failure->Message, MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
  return failure;
}

void TMainForm::EditDataExecute() {
  TMDIChild* w = ui_.ActiveTrialWindow();
  if (!w) return;
  DataInput input = LoadData(w->WineClass.WineRec.Data);
  if (!ui_.ExecuteDataDialog(input)) return;
  // Stored even when nothing changed: confirming the dialog always counts as
  // an edit and always recalculates.
  ApplyData(input, w->WineClass);
  w->Calculate(true);
}

}  // namespace vorsant

#include "app/edit_data_flow.h"

#include "app/main_form.h"
#include "app/readings_paste.h"

namespace vorsant {

namespace {

// Where a box comes in the checking order: the volumes, the minutes, then
// the seconds.
std::size_t CheckOrder(DataColumn column, std::size_t row) {
  return static_cast<std::size_t>(column) * kPointCount + row;
}

}  // namespace

std::optional<DataFailure> CheckDataDialog(DataInput& input, UiPort& ui, std::string_view userDecimal) {
  const DataInput typed = input;
  const auto columns = {std::pair{DataColumn::Volume, &DataInput::V},
                        std::pair{DataColumn::Minutes, &DataInput::Min},
                        std::pair{DataColumn::Seconds, &DataInput::Sec}};
  for (const auto& [column, boxes] : columns)
    for (std::string& box : input.*boxes) box = DotDecimal(box, userDecimal);
  std::optional<DataFailure> failure = DataRangeCheck(input);
  if (!failure) return failure;
  const std::size_t failed = CheckOrder(failure->Column, static_cast<std::size_t>(failure->Point - 1));
  for (const auto& [column, boxes] : columns)
    for (std::size_t row = 0; row < kPointCount; ++row)
      if (CheckOrder(column, row) >= failed) (input.*boxes)[row] = (typed.*boxes)[row];
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

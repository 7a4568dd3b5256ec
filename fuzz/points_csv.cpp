// A points CSV as the data command takes it: parsed, put into the data
// dialog's boxes, checked, stored and recalculated.

#include <cstdint>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "cli/points_csv.h"
#include "trial/analysis.h"
#include "trial/data_input.h"
#include "trial/new_trial.h"
#include "trial/wine_rec.h"

using namespace vorsant;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  std::vector<cli::PointTexts> rows;
  try {
    rows = cli::ParsePointsCsv(content, "points.csv");
  } catch (const cli::CommandError&) {
    return 0;
  }
  if (rows.size() > kPointCount) __builtin_trap();

  // The conditions of a usual laboratory trial, so the whole analysis runs.
  TWineClass wine = NewWineClass({"Chardonnay 24", "PES 0.45", 0, "30", "47", "30", "10", "40", true});
  DataInput input = LoadData(wine.WineRec.Data);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    input.V[i] = rows[i][0];
    input.Min[i] = rows[i][1];
    input.Sec[i] = rows[i][2];
  }
  if (DataRangeCheck(input)) return 0;
  ApplyData(input, wine);
  (void)Calculate(wine.WineRec, true, ",");
  return 0;
}

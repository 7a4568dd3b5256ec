// A .vrs file from anywhere: every byte image is read, shown, recalculated,
// drawn, collapsed and written back as the program does it. Two invariants
// hold on top of not crashing: an unedited record is written back byte for
// byte, and whatever the analysis stores survives a save and a reload.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphs/recording_canvas.h"
#include "graphs/scale_graphs.h"
#include "graphs/trial_graph.h"
#include "trial/analysis.h"
#include "trial/report.h"
#include "trial/wine_rec.h"

namespace {

using namespace vorsant;

// What a trial window and the two large graph windows show of the record.
void ShowEverything(const TWineRec& rec) {
  (void)FillLines(rec);
  RecordingCanvas trial, lab, prod;
  DrawGraph(trial, rec);
  DrawLabGraph(lab, rec);
  DrawProdGraph(prod, rec);
}

void RequireRoundTrip(const TWineRec& rec) {
  const auto image = EncodeWineRec(rec);
  if (!(DecodeWineRec(image) == rec)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A file shorter than a record is refused before decoding; anything after
  // the first record is ignored, so only the first kWineRecSize bytes count.
  std::vector<std::uint8_t> image(kWineRecSize, 0);
  std::memcpy(image.data(), data, size < kWineRecSize ? size : kWineRecSize);

  TWineRec rec = DecodeWineRec(image);
  const auto written = EncodeWineRec(rec);
  if (std::memcmp(written.data(), image.data(), kWineRecSize) != 0) std::abort();

  // Opening shows the stored texts as they are; Calculate then rebuilds them.
  ShowEverything(rec);
  (void)Calculate(rec, true, ",");
  RequireRoundTrip(rec);
  ShowEverything(rec);

  DataCollapse(rec);
  RequireRoundTrip(rec);
  ShowEverything(rec);
  return 0;
}

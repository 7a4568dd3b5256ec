// graph FILE.vrs --kind trial|lab|production|models -o OUT.svg: the picture
// that the trial window's graph (250 x 200), the laboratory or production
// graph window or the fouling models window (700 x 600) shows for the stored
// trial, at its pixel size, as SVG. The first three draw the results stored
// in the file; the models are fitted afresh on a copy of the trial.

#include "cli/command.h"
#include "cli/options.h"
#include "cli/output_file.h"
#include "cli/trial_io.h"
#include "fouling/fouling_models.h"
#include "graphs/fouling_graph.h"
#include "graphs/scale_graphs.h"
#include "graphs/svg_canvas.h"
#include "graphs/trial_graph.h"

namespace vorsant::cli {

int RunGraph(CommandArgs args, CommandIo&) {
  const Options options(args, {"--kind", "-o"});
  options.ExpectPositional(1, "one trial file: graph FILE.vrs --kind trial|lab|production|models -o OUT.svg");
  const std::string kind = options.Required("--kind");
  const std::string out = options.Required("-o");
  if (kind != "trial" && kind != "lab" && kind != "production" && kind != "models") {
    throw UsageError("--kind must be trial, lab, production or models, not " + kind);
  }
  const TWineRec rec = ReadTrial(options.Positional()[0]);

  std::string document;
  if (kind == "trial") {
    SvgCanvas canvas(kTrialGraphWidth, kTrialGraphHeight);
    DrawGraph(canvas, rec);
    document = canvas.Document();
  } else {
    SvgCanvas canvas(kScaleGraphWidth, kScaleGraphHeight);
    if (kind == "lab") {
      DrawLabGraph(canvas, rec);
    } else if (kind == "models") {
      const FoulingOutcome outcome = AnalyseFouling(rec, {});
      if (!outcome.report) throw CommandError(outcome.failure);
      DrawFoulingGraph(canvas, rec, *outcome.report);
    } else {
      DrawProdGraph(canvas, rec);
    }
    document = canvas.Document();
  }

  SaveOutputFile(out, document);
  return 0;
}

}  // namespace vorsant::cli

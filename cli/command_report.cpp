// report FILE.vrs [--json | --html -o OUT.html [--units us|metric]]: the
// trial window's two panels, summary first, as stored in the file (nothing
// is recalculated); or every field of the record with the panels as one JSON
// object; or the whole report as a web page to print or send, dated today,
// its verdict and models in the chosen units (the trial's own report stays
// as it is).

#include <ctime>

#include "cli/command.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/output_file.h"
#include "cli/sizing_options.h"
#include "cli/trial_io.h"
#include "export/report_html.h"
#include "fouling/companion_readings.h"
#include "scale/reading_log.h"
#include "trial/cp1252.h"
#include "trial/report.h"

namespace vorsant::cli {

namespace {

class RecordJson {
 public:
  explicit RecordJson(std::ostream& out) : json_(out) {}

  void Write(const TWineRec& rec, const ReportLines& lines) {
    const TConditions& k = rec.Conditions;
    json_.BeginObject();
    Text("WineName", k.WineName);
    Text("FilterName", k.FilterName);
    Int("VolType", k.VolType);
    Int("WineType", k.WineType);
    Text("LabP", k.LabP);
    Text("LabFiltDia", k.LabFiltDia);
    Text("ProdP", k.ProdP);
    Text("ProdA", k.ProdA);
    Text("ProdRate", k.ProdRate);
    Int("ProdRateUnits", k.ProdRateUnits);
    Int("Model", rec.Model);
    Text("LabA", rec.LabA);
    Texts("V", rec.Data.V);
    Texts("M", rec.Data.M);
    Texts("Sc", rec.Data.Sc);
    Int("MinSkip", rec.Data.MinSkip);
    Text("bE", rec.bE);
    Text("bP", rec.bP);
    Text("ExpectedVolE", rec.ExpectedVolE);
    Text("ExpectedVolP", rec.ExpectedVolP);
    Text("rE", rec.rE);
    Text("rP", rec.rP);
    Text("a", rec.a);
    json_.Key("aReal");
    json_.Number(rec.aReal.Value());
    Text("RmE", rec.RmE);
    Text("RmP", rec.RmP);
    Text("MaxProdR", rec.MaxProdR);
    Text("LabEquivVol", rec.LabEquivVol);
    Text("LabFaceVel", rec.LabFaceVel);
    Text("ProdFaceVel", rec.ProdFaceVel);
    json_.Key("TableData");
    json_.BeginArray();
    for (const TTableRow& row : rec.TableData) {
      json_.BeginObject();
      Text("V", row.V);
      Text("M", row.M);
      Text("Sc", row.Sc);
      Text("VA", row.VA);
      Text("R", row.R);
      Text("RmodelE", row.RmodelE);
      Text("RmodelP", row.RmodelP);
      json_.EndObject();
    }
    json_.EndArray();
    Lines("summary", lines.Memo1);
    Lines("table", lines.Memo2);
    json_.EndObject();
  }

 private:
  template <std::size_t N>
  void Text(std::string_view key, const ShortText<N>& t) {
    json_.Key(key);
    json_.String(Windows1252ToUtf8(t.Str()));
  }
  template <std::size_t N, std::size_t Count>
  void Texts(std::string_view key, const std::array<ShortText<N>, Count>& texts) {
    json_.Key(key);
    json_.BeginArray();
    for (const auto& t : texts) json_.String(Windows1252ToUtf8(t.Str()));
    json_.EndArray();
  }
  void Int(std::string_view key, long long v) {
    json_.Key(key);
    json_.Integer(v);
  }
  void Lines(std::string_view key, const std::vector<std::string>& lines) {
    json_.Key(key);
    json_.BeginArray();
    for (const std::string& line : lines) json_.String(line);
    json_.EndArray();
  }

  JsonWriter json_;
};

// Today in the local calendar, yyyy-mm-dd.
std::string Today() {
  const std::time_t now = std::time(nullptr);
  char text[16] = "";
  if (const std::tm* local = std::localtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%d", local);
  return text;
}

}  // namespace

int RunReport(CommandArgs args, CommandIo& io) {
  const Options options(args, {"-o", "--units"}, {"--json", "--html"});
  options.ExpectPositional(1, "one trial file: report FILE.vrs [--json | --html -o OUT.html [--units us|metric]]");
  const bool html = options.Flag("--html");
  if (html && options.Flag("--json")) throw UsageError("--html and --json cannot be combined");
  if (!html && options.Value("-o"))
    throw UsageError("-o writes the web page: report FILE.vrs --html -o OUT.html");
  if (!html && options.Value("--units")) throw UsageError("--units is for the web page: report FILE.vrs --html");
  const Presentation p = html ? PresentationOption(options) : Presentation{};
  const std::string& file = options.Positional()[0];
  const TWineRec rec = ReadTrial(file);
  if (html) {
    const std::string out = options.Required("-o");
    const std::u8string name = PathArg(file).filename().u8string();
    // The models fit the collection's every reading beside the trial, as models does.
    const std::optional<CompanionLog> readings = LoadCompanionLog(ReadingLogPath(PathArg(file)));
    SaveOutputFile(out, TrialReportHtml(rec, std::string(name.begin(), name.end()), Today(), p,
                                        AnsiDecoder(Windows1252ToUtf8), readings ? &*readings : nullptr));
    return 0;
  }
  const ReportLines lines = FillLines(rec);
  if (options.Flag("--json")) {
    RecordJson(io.out).Write(rec, lines);
    return 0;
  }
  for (const std::string& line : lines.Memo1) io.out << line << "\n";
  for (const std::string& line : lines.Memo2) io.out << line << "\n";
  return 0;
}

}  // namespace vorsant::cli

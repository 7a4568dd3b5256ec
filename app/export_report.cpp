#include "app/export_report.h"

#include <algorithm>
#include <cctype>
#include <span>

#include "app/file_access.h"
#include "app/fouling_commands.h"
#include "app/main_form.h"
#include "app/path_text.h"
#include "app/system_text.h"
#include "app/units_setting.h"
#include "export/report_html.h"
#include "trial/trial_file.h"

namespace vorsant {
namespace {

bool SameLetters(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::string WithoutExtension(std::string_view name) {
  const std::string ext = ExtensionPart(name);
  return std::string(name.substr(0, name.size() - ext.size()));
}

}  // namespace

std::string ProposedReportName(const TMDIChild& child) {
  if (child.FileName != kUnsavedFileName) return WithoutExtension(FileNamePart(child.FileName)) + ".html";
  std::string name = child.Caption;
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 32 ||
        std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      c = '_';
  return name + ".html";
}

std::string WithReportExtension(std::string_view path) {
  const std::string ext = ExtensionPart(path);
  if (SameLetters(ext, ".html") || SameLetters(ext, ".htm")) return std::string(path);
  return std::string(path) + ".html";
}

void TMainForm::ExportReportExecute() {
  TMDIChild* w = ui_.ActiveTrialWindow();
  if (!w) return;
  // Copied now: what is exported is the trial as it was when asked for.
  const TWineRec rec = w->WineClass.WineRec;
  const std::string shownName = FileNamePart(w->FileName);
  ExportDialog.Filter = kReportFileFilter;
  ExportDialog.InitialDir = w->FileName != kUnsavedFileName ? FolderPart(w->FileName) : ui_.DocumentsFolder();
  ExportDialog.FileName = ProposedReportName(*w);
  for (;;) {
    if (!ui_.ExecuteSaveDialog(ExportDialog)) return;
    const std::string name = WithReportExtension(ExportDialog.FileName);
    if (FileExistsAt(name) &&
        ui_.ShowMessage("A file with that name already exists. Overwrite it?", MessageIcon::Warning,
                        MessageButtons::OkCancel, MessageAnswer::Cancel) != MessageAnswer::Ok)
      continue;
    // The trial report's number style for the whole page, its appendix too.
    const std::optional<CompanionLog> readings = ReadingsBeside(*w);
    const std::string html = TrialReportHtml(rec, shownName, ui_.Today(), ProgramPresentation(), AnsiToUtf8,
                                             readings ? &*readings : nullptr);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(html.data());
    int errorNumber = SaveOverError(name);
    if (errorNumber == 0)
      errorNumber = SaveFileSafely(PathFromText(name), std::span(bytes, html.size()), files_);
    if (errorNumber == 0) return;
    ui_.ShowMessage("I/O Error type " + std::to_string(errorNumber) +
                        " occurred while exporting the report. The report was not saved!",
                    MessageIcon::Warning, MessageButtons::Ok, MessageAnswer::Ok);
  }
}

}  // namespace vorsant

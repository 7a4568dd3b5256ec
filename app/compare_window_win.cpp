#include "app/compare_window_win.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "app/table_graph_window_win.h"
#include "app/units_setting.h"
#include "graphs/compare_graph.h"
#include "present/comparison_table.h"

namespace vorsant {
namespace {

class CompareWindow final : public TableGraphWindow {
 public:
  explicit CompareWindow(std::span<const ComparedTrial> trials) : trials_(trials.begin(), trials.end()) {}

  void Fill(const std::vector<std::string>& lines) {
    SetTable(lines);
    DrawPicture([this](Canvas& canvas) { DrawCompareGraph(canvas, trials_); });
  }

 protected:
  const wchar_t* Caption() const override { return L"Compare Trials"; }

 private:
  const std::vector<ComparedTrial> trials_;
};

}  // namespace

void OpenCompareWindow(HWND owner, std::span<const ComparedTrial> trials) {
  auto window = std::make_unique<CompareWindow>(trials);
  // No target volume here, so no area column; the units are the ones last
  // chosen in the Fouling Models window.
  const std::vector<std::string> lines = ComparisonTableLines(trials, false, ProgramPresentation());
  int columns = 0;
  for (const std::string& line : lines) columns = std::max(columns, static_cast<int>(Widen(line).size()));
  if (!window->Create(owner, static_cast<int>(lines.size()), columns)) return;
  window->Show();
  window->Fill(lines);
  TableGraphWindow::HandOver(std::move(window));
}

}  // namespace vorsant

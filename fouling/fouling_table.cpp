// The models table: fixed-width columns like the report's point table, so a
// fixed-pitch font lines them up. "-" stands for a figure that does not
// apply to the model.

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <string>

#include "fouling/fouling_models.h"

namespace vorsant {

namespace {

constexpr int kNameWidth = 36;

// Width in characters of a UTF-8 text.
int Columns(const std::string& text) {
  int n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

std::string Right(const std::string& text, int width) {
  const int pad = width - Columns(text);
  return pad > 0 ? std::string(static_cast<std::size_t>(pad), ' ') + text : text;
}

std::string Left(const std::string& text, int width) {
  const int pad = width - Columns(text);
  return pad > 0 ? text + std::string(static_cast<std::size_t>(pad), ' ') : text;
}

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// Each column is named over two lines, the quantity and then its unit, so
// that no figure can be taken for the trial report's of a similar name (its
// r is a correlation, its a is in 10^9 units).
struct Column {
  const char* title;
  const char* unit;
  int width;  // at least one blank before the widest figure it expects
};

constexpr Column kColumns[] = {{"R\u00b2 of the", "fit to R", 11},  {"adj. R\u00b2", "fit to R", 10},
                               {"Rm | R0", "E9 1/m", 11},          {"k | a", "1/m | m^-1-n", 14},
                               {"n", "exponent", 9},               {"capacity", "L/m\u00b2", 10},
                               {"volume", "gal", 12},              {"time", "hours", 9},
                               {"area", "m\u00b2", 10},            {"elements", "count", 9}};
constexpr std::size_t kColumnCount = std::size(kColumns);
constexpr double kOverVolume = 999999999999;  // where the report stops counting gallons

// The figure in `format`, or in exponent form when that is too wide to
// leave a blank before it in its column.
std::string Figure(const std::optional<double>& value, const char* format, int width) {
  if (!value) return "-";
  std::string text = Format(format, *value);
  for (int digits = 3; Columns(text) > width - 1 && digits >= 0; --digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", digits, *value);
    text = buffer;
  }
  return text;
}

// Volumes at or past the report's limits read as the report writes them.
std::string Volume(const ModelFit& fit, int width) {
  if (fit.incalculable) return "incalculably high";
  if (fit.volumeGal && *fit.volumeGal >= kOverVolume) return "over 1,000,000,000,000";
  return Figure(fit.volumeGal, "%.0f", width);
}

std::vector<std::string> Cells(const ModelFit& fit) {
  const bool power = fit.law == FoulingLaw::kPower;
  const std::optional<double> start = power ? fit.r0 : fit.rm;
  const auto w = [](std::size_t c) { return kColumns[c].width; };
  return {Figure(fit.r2, "%.4f", w(0)),
          Figure(fit.r2Adjusted, "%.4f", w(1)),
          Figure(start ? std::optional<double>(*start / 1e9) : std::nullopt, "%.3f", w(2)),
          Figure(power ? fit.a : fit.k, "%.4g", w(3)),
          Figure(fit.n, "%.3f", w(4)),
          Figure(fit.capacityLm2, "%.1f", w(5)),
          Volume(fit, w(6)),
          Figure(fit.hours, "%.1f", w(7)),
          Figure(fit.areaM2, "%.2f", w(8)),
          fit.elements              ? std::to_string(*fit.elements)
          : fit.elementsUncountable ? "too many"
                                    : "-"};
}

}  // namespace

std::vector<std::vector<std::string>> FoulingTableCells(const FoulingReport& report) {
  std::vector<std::vector<std::string>> rows;
  for (const ModelFit& fit : report.models)
    rows.push_back(fit.fitted ? Cells(fit) : std::vector<std::string>{});
  return rows;
}

std::vector<std::string> FoulingTableLines(const FoulingReport& report) {
  // A column grows where a cell needs it, so every cell keeps a blank
  // before it and the rows stay lined up.
  const std::vector<std::vector<std::string>> rows = FoulingTableCells(report);
  std::array<int, kColumnCount> widths{};
  for (std::size_t c = 0; c < kColumnCount; ++c) widths[c] = kColumns[c].width;
  for (const std::vector<std::string>& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Columns(row[c]) + 1);
  }

  std::vector<std::string> lines;
  std::string header = Left("  Model (* best fit)", kNameWidth + 2);
  std::string units(kNameWidth + 2, ' ');
  for (std::size_t c = 0; c < kColumnCount; ++c) {
    header += Right(kColumns[c].title, widths[c]);
    units += Right(kColumns[c].unit, widths[c]);
  }
  lines.push_back(header);
  lines.push_back(units);
  for (std::size_t i = 0; i < report.models.size(); ++i) {
    const ModelFit& fit = report.models[i];
    std::string line =
        (report.best == fit.law ? "* " : "  ") + Left(std::string(LawName(fit.law)), kNameWidth);
    if (!fit.fitted) line += "   not fitted";
    for (std::size_t c = 0; c < rows[i].size(); ++c) line += Right(rows[i][c], widths[c]);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace vorsant

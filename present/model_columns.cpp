#include "present/model_columns.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "present/text_width.h"
#include "present/verdict_text.h"

namespace vorsant {
namespace {

constexpr int kNameWidth = 36;

std::string Printed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// The figure in `format` (or by `write`), or in exponent form when that is
// too wide to leave a blank before it in its column.
template <typename Write>
std::string Figure(const std::optional<double>& value, int width, Write write) {
  if (!value) return "-";
  std::string text = write(*value);
  for (int digits = 3; static_cast<int>(TextWidth(text)) > width - 1 && digits >= 0; --digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", digits, *value);
    text = buffer;
  }
  return text;
}

std::optional<double> Scaled(const std::optional<double>& value, double factor) {
  return value ? std::optional<double>(*value * factor) : std::nullopt;
}

}  // namespace

// Each column is named over two lines, the quantity and then its unit, so
// that no figure can be taken for the trial report's of a similar name (its
// r is a correlation, its a is in 10^9 units).
std::vector<ModelColumn> ModelColumns(VolumeUnit volumeUnit) {
  const std::string volume(VolumeSymbol(volumeUnit));
  return {{ModelColumnId::kR2, "R\u00b2 of the", "fit to R", "R\u00b2", 11, false},
          {ModelColumnId::kR2Adjusted, "adj. R\u00b2", "fit to R", "adj. R\u00b2", 10, false},
          {ModelColumnId::kStart, "Rm | R0", "E9 1/m", "Rm or R0 (10\u2079 /m)", 11, false},
          {ModelColumnId::kShape, "k | a", "1/m | m^-1-n", "k (1/m) or a", 14, false},
          {ModelColumnId::kExponent, "n", "exponent", "n", 9, false},
          {ModelColumnId::kCapacity, "capacity", "L/m\u00b2", "Capacity (L/m\u00b2)", 10, false},
          {ModelColumnId::kVolume, "volume", volume, "Volume (" + volume + ")", 12, false},
          {ModelColumnId::kTime, "time", "hours", "Hours (h)", 9, false},
          {ModelColumnId::kArea, "area", "m\u00b2", "Area (m\u00b2)", 10, true},
          {ModelColumnId::kElements, "elements", "count", "Elements", 9, true}};
}

const ModelColumn& ColumnOf(const std::vector<ModelColumn>& columns, ModelColumnId id) {
  return *std::find_if(columns.begin(), columns.end(), [&](const ModelColumn& c) { return c.id == id; });
}

VolumeUnit TableVolumeUnit(UnitSystem units, const std::vector<double>& volumesM3) {
  double largest = 0;
  for (double v : volumesM3)
    if (std::isfinite(v)) largest = std::max(largest, v);
  return VolumeUnitFor(units, largest);
}

VolumeUnit TableVolumeUnit(const FoulingReport& report, UnitSystem units) {
  std::vector<double> volumes;
  for (const ModelFit& fit : report.models)
    if (fit.fitted && fit.volumeM3 && !fit.incalculable) volumes.push_back(*fit.volumeM3);
  return TableVolumeUnit(units, volumes);
}

std::string VolumeCell(double m3, VolumeUnit unit, const NumberStyle& style) {
  if (BeyondReportLimit(m3)) return VolumeFigure(m3, unit, style);
  return DecimalText(InVolumeUnit(m3, unit), unit == VolumeUnit::kHectolitre ? 1 : 0, style);
}

std::string ModelCell(const ModelFit& fit, ModelColumnId id, VolumeUnit volumeUnit, const NumberStyle& style,
                      int width) {
  const bool power = fit.law == FoulingLaw::kPower;
  const auto decimals = [&](int d) { return [&style, d](double x) { return DecimalText(x, d, style); }; };
  switch (id) {
    case ModelColumnId::kR2:
      return Figure(fit.r2, width, decimals(4));
    case ModelColumnId::kR2Adjusted:
      return Figure(fit.r2Adjusted, width, decimals(4));
    case ModelColumnId::kStart:
      return Figure(Scaled(power ? fit.r0 : fit.rm, 1e-9), width, decimals(3));
    case ModelColumnId::kShape:
      return Figure(power ? fit.a : fit.k, width, [&](double x) {
        std::string text = Printed("%.4g", x);
        if (style.decimal != ".")
          if (const auto dot = text.find('.'); dot != std::string::npos) text.replace(dot, 1, style.decimal);
        return text;
      });
    case ModelColumnId::kExponent:
      return Figure(fit.n, width, decimals(3));
    case ModelColumnId::kCapacity:
      return Figure(Scaled(fit.capacity, 1000), width, decimals(1));
    case ModelColumnId::kVolume:
      // Volumes at or past the report's limits read as the report writes them.
      if (fit.incalculable) return "incalculably high";
      if (fit.volumeM3 && BeyondReportLimit(*fit.volumeM3)) return VolumeCell(*fit.volumeM3, volumeUnit, style);
      return Figure(fit.volumeM3, width, [&](double m3) { return VolumeCell(m3, volumeUnit, style); });
    case ModelColumnId::kTime:
      return Figure(Scaled(fit.seconds, 1.0 / 3600), width, decimals(1));
    case ModelColumnId::kArea:
      return Figure(fit.areaM2, width, decimals(2));
    case ModelColumnId::kElements:
      break;
  }
  return fit.elements ? std::to_string(*fit.elements) : fit.elementsUncountable ? "too many" : "-";
}

std::vector<std::vector<std::string>> FoulingTableCells(const FoulingReport& report, VolumeUnit volumeUnit,
                                                        const NumberStyle& style) {
  const std::vector<ModelColumn> columns = ModelColumns(volumeUnit);
  std::vector<std::vector<std::string>> rows;
  for (const ModelFit& fit : report.models) {
    std::vector<std::string> row;
    if (fit.fitted)
      for (const ModelColumn& c : columns) row.push_back(ModelCell(fit, c.id, volumeUnit, style, c.width));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<std::string> FoulingTableLines(const FoulingReport& report, const Presentation& p) {
  const VolumeUnit volumeUnit = TableVolumeUnit(report, p.units);
  const std::vector<ModelColumn> columns = ModelColumns(volumeUnit);
  // A column grows where a cell needs it, so every cell keeps a blank
  // before it and the rows stay lined up.
  const std::vector<std::vector<std::string>> rows = FoulingTableCells(report, volumeUnit, p.numbers);
  std::vector<std::size_t> widths;
  for (const ModelColumn& c : columns) widths.push_back(static_cast<std::size_t>(c.width));
  for (const std::vector<std::string>& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], TextWidth(row[c]) + 1);

  std::vector<std::string> lines;
  std::string header = PadRight("  Model (* best fit)", kNameWidth + 2);
  std::string units(kNameWidth + 2, ' ');
  for (std::size_t c = 0; c < columns.size(); ++c) {
    header += PadLeft(columns[c].title, widths[c]);
    units += PadLeft(columns[c].unit, widths[c]);
  }
  lines.push_back(header);
  lines.push_back(units);
  for (std::size_t i = 0; i < report.models.size(); ++i) {
    const ModelFit& fit = report.models[i];
    std::string line = (report.best == fit.law ? "* " : "  ") + PadRight(LawName(fit.law), kNameWidth);
    if (!fit.fitted) line += "   not fitted";
    for (std::size_t c = 0; c < rows[i].size(); ++c) line += PadLeft(rows[i][c], widths[c]);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace vorsant

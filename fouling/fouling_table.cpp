// The models table: fixed-width columns like the report's point table, so a
// fixed-pitch font lines them up. "-" stands for a figure that does not
// apply to the model.

#include <cstdio>
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

std::string Cell(const std::optional<double>& value, const char* format, int width) {
  return Right(value ? Format(format, *value) : "-", width);
}

std::string Row(const ModelFit& fit, bool best) {
  std::string line = best ? "* " : "  ";
  line += Left(std::string(LawName(fit.law)), kNameWidth);
  if (!fit.fitted) return line + "   not fitted";
  const bool power = fit.law == FoulingLaw::kPower;
  const std::optional<double> start = power ? fit.r0 : fit.rm;
  line += Cell(fit.r2, "%.4f", 8);
  line += Cell(fit.r2Adjusted, "%.4f", 8);
  line += Cell(start ? std::optional<double>(*start / 1e9) : std::nullopt, "%.3f", 11);
  line += Cell(power ? fit.a : fit.k, "%.4g", 11);
  line += Cell(fit.n, "%.3f", 7);
  line += Cell(fit.capacityLm2, "%.1f", 10);
  line += Cell(fit.volumeGal, "%.0f", 12);
  line += Cell(fit.hours, "%.1f", 9);
  line += Cell(fit.areaM2, "%.2f", 10);
  line += Right(fit.elements ? std::to_string(*fit.elements) : "-", 9);
  return line;
}

}  // namespace

std::vector<std::string> FoulingTableLines(const FoulingReport& report) {
  std::vector<std::string> lines;
  lines.push_back(Left("  Model (* best fit)", kNameWidth + 2) + Right("R\u00b2", 8) +
                  Right("adj. R\u00b2", 8) + Right("Rm|R0 E9/m", 11) + Right("k|a", 11) + Right("n", 7) +
                  Right("cap. L/m\u00b2", 10) + Right("volume gal", 12) + Right("hours", 9) +
                  Right("area m\u00b2", 10) + Right("elements", 9));
  for (const ModelFit& fit : report.models) lines.push_back(Row(fit, report.best == fit.law));
  return lines;
}

}  // namespace vorsant

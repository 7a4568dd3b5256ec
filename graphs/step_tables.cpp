#include "graphs/step_tables.h"

#include <span>

namespace vorsant {
namespace {

struct StepRow {
  std::int64_t from;
  std::int64_t to;
  double step;
};

std::optional<double> Lookup(std::span<const StepRow> table, std::int64_t s) {
  for (const StepRow& row : table) {
    if (s >= row.from && s <= row.to) return row.step;
  }
  return std::nullopt;
}

constexpr StepRow kXStep[] = {{0, 2, 0.5},    {3, 10, 1},       {11, 30, 5},       {31, 100, 10},
                              {101, 300, 50}, {301, 1000, 100}, {1001, 3000, 500}, {3001, 10000, 1000}};

constexpr StepRow kYStep[] = {
    {0, 1, 1},       {2, 5, 5},         {6, 10, 10},        {11, 50, 50},         {51, 100, 100},
    {101, 500, 500}, {501, 1000, 1000}, {1001, 5000, 5000}, {5001, 10000, 10000}, {10001, 32767, 50000}};

constexpr StepRow kLabXTick[] = {{0, 2, 0.1},    {3, 10, 0.5},     {11, 30, 5},       {31, 100, 10},
                                 {101, 300, 50}, {301, 1000, 100}, {1001, 3000, 500}, {3001, 10000, 1000}};

constexpr StepRow kYTick[] = {
    {0, 1, 0.5},     {2, 5, 1},        {6, 10, 5},         {11, 50, 10},        {51, 100, 50},
    {101, 500, 100}, {501, 1000, 500}, {1001, 5000, 1000}, {5001, 10000, 5000}, {10001, 32767, 10000}};

constexpr StepRow kProdXLabel[] = {{0, 10, 1},       {11, 30, 5},       {31, 100, 10},      {101, 300, 50},
                                   {301, 1000, 100}, {1001, 3000, 500}, {3001, 10000, 1000}};

constexpr StepRow kProdXTick[] = {{0, 10, 0.5},     {11, 30, 5},       {31, 100, 10},      {101, 300, 50},
                                  {301, 1000, 100}, {1001, 3000, 500}, {3001, 10000, 1000}};

}  // namespace

std::optional<double> XStep(std::int64_t s) {
  return Lookup(kXStep, s);
}
std::optional<double> YStep(std::int64_t s) {
  return Lookup(kYStep, s);
}
std::optional<double> LabXTickStep(std::int64_t s) {
  return Lookup(kLabXTick, s);
}
std::optional<double> YTickStep(std::int64_t s) {
  return Lookup(kYTick, s);
}
std::optional<double> ProdXLabelStep(std::int64_t s) {
  return Lookup(kProdXLabel, s);
}
std::optional<double> ProdXTickStep(std::int64_t s) {
  return Lookup(kProdXTick, s);
}

}  // namespace vorsant

#pragma once
// The one list of the models' columns: what each is called, in which unit,
// and how its figures are written. The text table, the comparison table,
// the Fouling Models window and the exported page all take their headings
// and cells from here, so a heading always stands over its own figures.

#include <climits>
#include <string>
#include <vector>

#include "fouling/fouling_models.h"
#include "present/quantities.h"

namespace vorsant {

enum class ModelColumnId { kR2, kR2Adjusted, kStart, kShape, kExponent, kCapacity, kVolume, kTime, kArea, kElements };

struct ModelColumn {
  ModelColumnId id;
  std::string title;    // the text table names a column over two lines,
  std::string unit;     // the quantity and then its unit
  std::string heading;  // on one line, for a page or the comparison ("Volume (gal)")
  int width;            // text table: at least one blank before the widest figure it expects
  bool sizing;          // computed only for a target volume
};

// Every column in table order, volumes in `volumeUnit`.
std::vector<ModelColumn> ModelColumns(VolumeUnit volumeUnit);
const ModelColumn& ColumnOf(const std::vector<ModelColumn>& columns, ModelColumnId id);

// The unit a table writes its volumes in: the one the largest of them is
// written in, so a column keeps one unit.
VolumeUnit TableVolumeUnit(UnitSystem units, const std::vector<double>& volumesM3);
VolumeUnit TableVolumeUnit(const FoulingReport& report, UnitSystem units);

// A figure of a model in its column, "-" where it does not apply; in
// exponent form where it would leave no blank before it in `width`.
std::string ModelCell(const ModelFit& fit, ModelColumnId id, VolumeUnit volumeUnit, const NumberStyle& style,
                      int width = INT_MAX);
// A volume as the tables write it: whole units (hectolitres to a tenth), or
// the report's words at its limits.
std::string VolumeCell(double m3, VolumeUnit unit, const NumberStyle& style);

// The table's figures, one row per model in kFoulingLaws order (empty for a
// model not fitted), one cell per column of ModelColumns.
std::vector<std::vector<std::string>> FoulingTableCells(const FoulingReport& report, VolumeUnit volumeUnit,
                                                        const NumberStyle& style);

// The models table in the report's fixed-pitch style, one line per model
// with the best one marked, headed by two lines of column titles and units;
// UTF-8.
std::vector<std::string> FoulingTableLines(const FoulingReport& report, const Presentation& p);

}  // namespace vorsant

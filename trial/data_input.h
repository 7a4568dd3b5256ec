#pragma once
// The measured points as the user types them: checking and rewriting the 108
// boxes in their canonical form, and storing them into the record. Pure
// functions over texts, shared by the data dialog and the command line.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "trial/wine_rec.h"

namespace vorsant {

inline constexpr std::string_view kDataEntryErrorMessage =
    "There is an error in the data entry. Please correct it and retry, or cancel. (Volume increments must be "
    "greater than 0.1 ml.)";

inline constexpr int kMaxSkipChoice = 12;

// The boxes' texts, in the record's single-byte code page; point k is index
// k - 1.
struct DataInput {
  std::array<std::string, kPointCount> V, Min, Sec;
  std::optional<int> Skip;  // the checked "Points to be skipped" button, if any
};

enum class DataColumn { Volume, Minutes, Seconds };

struct DataFailure {
  DataColumn Column;
  int Point;  // 1 to 36
  std::string Message;
};

namespace data_input {

// A volume or minutes box: blanks only (1 to 6) make it empty and an empty
// box is valid; otherwise the number is checked and rewritten right-aligned
// in `StrLength` characters, cut to `StrLength`. On error the text stays.
void Format(std::string& text, bool& Error, int Decimal, int StrLength, double lower, double upper);

// A seconds box: one or two blanks make it empty, an empty box is valid; a
// number is rewritten with a leading "0" instead of a blank ("5" -> "05").
void FormatSec(std::string& text, bool& Error, int Decimal, int StrLength, double lower, double upper);

}  // namespace data_input

// Checks all volumes, then all minutes, then all seconds, and stops at the
// first failure; every box checked holds its rewritten text afterwards.
// nullopt when all 108 boxes passed.
std::optional<DataFailure> DataRangeCheck(DataInput& input);

// The boxes as the dialog shows them for a trial; no skip button is checked
// when MinSkip is above the largest choice.
DataInput LoadData(const TData& data);

// Edit Data after OK: the boxes into the points (cut to their fields),
// MinSkip from the checked button (kept when none is checked), and the trial
// marked modified. The caller then recalculates.
void ApplyData(const DataInput& input, TWineClass& wine);

}  // namespace vorsant

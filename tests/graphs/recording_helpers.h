#pragma once
// Queries over a recorded picture for the graph tests.

#include <string>
#include <vector>

#include "graphs/recording_canvas.h"

namespace vorsant::testing {

inline std::vector<RecordedLine> LinesOf(const RecordingCanvas& canvas, Color color) {
  std::vector<RecordedLine> out;
  for (const auto& line : canvas.All<RecordedLine>()) {
    if (line.pen.color == color) out.push_back(line);
  }
  return out;
}

inline std::vector<std::string> TextsOf(const RecordingCanvas& canvas) {
  std::vector<std::string> out;
  for (const auto& t : canvas.All<RecordedText>()) out.push_back(t.text);
  return out;
}

// Texts drawn at a given y, in drawing order (the labels of one X axis).
inline std::vector<RecordedText> TextsAtY(const RecordingCanvas& canvas, int y) {
  std::vector<RecordedText> out;
  for (const auto& t : canvas.All<RecordedText>()) {
    if (t.at.y == y && t.font.orientation == 0) out.push_back(t);
  }
  return out;
}

inline const RecordedText* FindText(const RecordingCanvas& canvas, const std::string& text) {
  static thread_local std::vector<RecordedText> texts;
  texts = canvas.All<RecordedText>();
  for (const auto& t : texts) {
    if (t.text == text) return &t;
  }
  return nullptr;
}

}  // namespace vorsant::testing

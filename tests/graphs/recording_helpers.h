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

// The first text drawn with exactly this content; points into the canvas's
// own list, so it stays valid while nothing more is drawn.
inline const RecordedText* FindText(const RecordingCanvas& canvas, const std::string& text) {
  for (const auto& p : canvas.Primitives()) {
    if (const auto* t = std::get_if<RecordedText>(&p); t != nullptr && t->text == text) return t;
  }
  return nullptr;
}

}  // namespace vorsant::testing

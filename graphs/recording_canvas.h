#pragma once
// A canvas that draws nothing and remembers every call, in order, with its
// exact coordinates. Tests read the list back to check a picture primitive by
// primitive. Text is measured with the fixed metric of text_metric.h.

#include <string>
#include <variant>
#include <vector>

#include "graphs/canvas.h"

namespace vorsant {

struct RecordedFill {
  Rect area;
  Color color;
};

struct RecordedRectangle {
  Rect area;
  Color fill;
  Color border;
};

struct RecordedLine {
  Point from;
  Point to;
  Pen pen;
};

struct RecordedText {
  Point at;
  std::string text;
  Font font;
  Color ink;
  Color background;
};

struct RecordedBoxText {
  Rect box;
  std::string text;
  Font font;
  Color ink;
  Color background;
};

using Primitive = std::variant<RecordedFill, RecordedRectangle, RecordedLine, RecordedText, RecordedBoxText>;

class RecordingCanvas final : public Canvas {
 public:
  void FillRect(const Rect& area, Color color) override;
  void DrawRectangle(const Rect& area, Color fill, Color border) override;
  void DrawLine(Point from, Point to, const Pen& pen) override;
  void DrawText(Point at, std::string_view text, const Font& font, Color ink, Color background) override;
  void DrawTextInBox(const Rect& box, std::string_view text, const Font& font, Color ink,
                     Color background) override;
  TextSize MeasureText(std::string_view text, const Font& font) const override;

  const std::vector<Primitive>& Primitives() const { return primitives_; }

  // Every recorded primitive of one kind, in drawing order.
  template <typename T>
  std::vector<T> All() const {
    std::vector<T> out;
    for (const auto& p : primitives_) {
      if (const T* item = std::get_if<T>(&p)) out.push_back(*item);
    }
    return out;
  }

 private:
  std::vector<Primitive> primitives_;
};

}  // namespace vorsant

#include "graphs/recording_canvas.h"

#include "graphs/text_metric.h"

namespace vorsant {

void RecordingCanvas::FillRect(const Rect& area, Color color) {
  primitives_.emplace_back(std::in_place_type<RecordedFill>, RecordedFill{area, color});
}

void RecordingCanvas::DrawRectangle(const Rect& area, Color fill, Color border) {
  primitives_.emplace_back(std::in_place_type<RecordedRectangle>, RecordedRectangle{area, fill, border});
}

void RecordingCanvas::DrawLine(Point from, Point to, const Pen& pen) {
  primitives_.emplace_back(std::in_place_type<RecordedLine>, RecordedLine{from, to, pen});
}

void RecordingCanvas::DrawText(Point at, std::string_view text, const Font& font, Color ink,
                               Color background) {
  primitives_.emplace_back(std::in_place_type<RecordedText>,
                           RecordedText{at, std::string(text), font, ink, background});
}

void RecordingCanvas::DrawTextInBox(const Rect& box, std::string_view text, const Font& font, Color ink,
                                    Color background) {
  primitives_.emplace_back(std::in_place_type<RecordedBoxText>,
                           RecordedBoxText{box, std::string(text), font, ink, background});
}

TextSize RecordingCanvas::MeasureText(std::string_view text, const Font& font) const {
  return FixedMeasureText(text, font);
}

}  // namespace vorsant

#include "graphs/recording_canvas.h"

#include "graphs/text_metric.h"

namespace vorsant {

void RecordingCanvas::FillRect(const Rect& area, Color color) {
  primitives_.push_back(RecordedFill{area, color});
}

void RecordingCanvas::DrawRectangle(const Rect& area, Color fill, Color border) {
  primitives_.push_back(RecordedRectangle{area, fill, border});
}

void RecordingCanvas::DrawLine(Point from, Point to, const Pen& pen) {
  primitives_.push_back(RecordedLine{from, to, pen});
}

void RecordingCanvas::DrawText(Point at, std::string_view text, const Font& font, Color ink,
                               Color background) {
  primitives_.push_back(RecordedText{at, std::string(text), font, ink, background});
}

void RecordingCanvas::DrawTextInBox(const Rect& box, std::string_view text, const Font& font, Color ink,
                                    Color background) {
  primitives_.push_back(RecordedBoxText{box, std::string(text), font, ink, background});
}

TextSize RecordingCanvas::MeasureText(std::string_view text, const Font& font) const {
  return FixedMeasureText(text, font);
}

}  // namespace vorsant

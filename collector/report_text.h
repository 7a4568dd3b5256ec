#pragma once
// The dashboard's figures as plain text for a terminal.

#include <string>
#include <string_view>

#include "collector/summary.h"

namespace collector {

// Every posted value is shown through TerminalText.
std::string RenderReport(const Summary& summary);

// `text` with the bytes a terminal would act on (C0 controls, DEL, and the
// C1 controls in their UTF-8 form) written as \xHH, the bidirectional
// controls (U+061C, U+200E/F, U+202A-E, U+2066-9) as \uXXXX, and the
// backslash as \\, so that a hit's field can neither move the cursor,
// reorder what is shown nor pass for another.
std::string TerminalText(std::string_view text);

}  // namespace collector

#pragma once
// The dashboard's figures as plain text for a terminal.

#include <string>

#include "collector/summary.h"

namespace collector {

std::string RenderReport(const Summary& summary);

}  // namespace collector

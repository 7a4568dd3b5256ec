#pragma once
// The verdict in one line for the frame's status bar: the best law's volume
// and the range of the laws that fit about as well, and, when the trial
// report's headline is far from it, why the two differ.

#include <string>

#include "fouling/verdict.h"
#include "present/quantities.h"

namespace vorsant {

std::string VerdictStatusLine(const Verdict& verdict, const Presentation& p);

}  // namespace vorsant

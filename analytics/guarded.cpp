#include "analytics/guarded.h"

#include "analytics/numbers.h"
#include "analytics/text.h"

namespace plumeta {
namespace {

std::u16string WhatFailed(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return FromUtf8(e.what());
  } catch (...) {
    return u"an exception of an unknown kind";
  }
}

}  // namespace

std::u16string AbsorbedFailureLine(std::u16string_view action, const std::exception_ptr& failure,
                                   std::uint32_t systemError) {
  return u"plumeta: " + std::u16string(action) + u": failed, skipped: " + WhatFailed(failure) +
         u" (Windows error " + FormatUInt32(systemError) + u")";
}

void LogAbsorbedFailure(Installer* log, std::u16string_view action, const std::exception_ptr& failure,
                        std::uint32_t systemError) noexcept {
  if (log == nullptr) return;
  try {
    log->LogInfo(AbsorbedFailureLine(action, failure, systemError));
  } catch (...) {
    // The log is a courtesy: the installation goes on without it.
  }
}

}  // namespace plumeta

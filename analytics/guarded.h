#pragma once
// How an export runs its work: nothing thrown inside leaves the library and
// the export still answers success, but the failure it absorbed is not
// silent: one line in the installer's log names the action, what failed
// and the Windows error at that moment, so that a verbose log of an
// installation whose analytics failed says why.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "analytics/installer.h"

namespace plumeta {

// "plumeta: ACTION: failed, skipped: WHAT (Windows error N)".
std::u16string AbsorbedFailureLine(std::u16string_view action, const std::exception_ptr& failure,
                                   std::uint32_t systemError);

// Writes that line into `log`; null, or a log that fails, writes nothing.
void LogAbsorbedFailure(Installer* log, std::u16string_view action, const std::exception_ptr& failure,
                        std::uint32_t systemError) noexcept;

// Runs `work`, absorbing whatever it throws. `systemError` (the thread's
// last error on Windows) is read first in the handler, before logging can
// change it.
template <typename Work>
void Guarded(Installer* log, std::u16string_view action, std::uint32_t (*systemError)(),
             Work&& work) noexcept {
  try {
    work();
  } catch (...) {
    std::uint32_t error = systemError();
    LogAbsorbedFailure(log, action, std::current_exception(), error);
  }
}

}  // namespace plumeta

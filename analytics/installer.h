#pragma once
// What the library asks of the Windows Installer: properties and conditions
// of the running installation, and the fields and text of a message record.
// The system implementations wrap the installer handles; tests script them.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "analytics/machine_data.h"

namespace plumeta {

class Installer : public PropertySource {
 public:
  // True only when the installer evaluates the condition as true; false,
  // none and error all count as not satisfied.
  virtual bool EvaluateCondition(std::u16string_view condition) = 0;
  // Writes a line into the installer's log; a failure is ignored.
  virtual void LogInfo(std::u16string_view line) = 0;
};

class InstallerRecord {
 public:
  virtual ~InstallerRecord() = default;
  // The text of a field; empty when it cannot be read.
  virtual std::u16string Field(unsigned index) = 0;
  // The record formatted as the installer would show it; empty when it
  // cannot be read.
  virtual std::u16string FormattedText() = 0;
};

inline constexpr std::uint32_t kInstallerSuccess = 0;
inline constexpr std::uint32_t kInstallerMoreData = 234;

// One call of an installer text getter: fills `buffer` (room for `length`
// characters including the terminating zero) and sets `length` to the
// text's length without the zero; answers 0, 234 when the buffer is too
// small, or another error.
using InstallerTextCall = std::function<std::uint32_t(char16_t* buffer, std::uint32_t& length)>;

// The two-call pattern: ask with an empty buffer and length 0; on 234 make
// the buffer the reported length + 1 and ask again. Any other answer, to
// either call, gives an empty text.
std::u16string ReadInstallerText(const InstallerTextCall& call);

}  // namespace plumeta

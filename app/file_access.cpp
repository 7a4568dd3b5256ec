#include "app/file_access.h"

#include <cstdint>
#include <system_error>

#include "app/path_text.h"
#include "app/trial_window.h"
#include "app/units_setting.h"
#include "trial/number_text.h"
#include "trial/wine_rec.h"

namespace vorsant {

std::optional<std::string> WrongSizeNotice(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(PathFromText(path), ec);
  if (ec || size / kWineRecSize == 1) return std::nullopt;
  const std::string sep = UserNumberStyle().thousands;
  return FileNamePart(path) + " is " + Grouped(static_cast<double>(size), sep) +
         (size == 1 ? " byte" : " bytes") + "; a trial file is " +
         Grouped(static_cast<double>(kWineRecSize), sep);
}

}  // namespace vorsant

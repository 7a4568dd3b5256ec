// Windows refuses to replace a read-only file; the check asks first, so the
// save says so even where the replacing call would not (Wine).

#include <windows.h>

#include "app/file_access.h"
#include "app/trial_window.h"

namespace vorsant {

int SaveOverError(const std::string& path) {
  const std::wstring name = PathFromText(path).wstring();
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;  // no file yet: the save creates it
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return ERROR_ACCESS_DENIED;
  // Opened for writing and closed untouched: a file another program holds,
  // or one the user may not write, is refused here too.
  HANDLE file =
      CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  CloseHandle(file);
  return 0;
}

}  // namespace vorsant

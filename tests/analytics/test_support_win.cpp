#include <windows.h>
#include <aclapi.h>

#include "test_support.h"

namespace plumeta::testing {

// Taking ownership away needs privileges a test does not have.
bool GiveToAnotherUser(const std::u16string&) {
  return false;
}

bool OpenToOthers(const std::u16string& path) {
  std::wstring name(path.begin(), path.end());
  PACL old = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &old,
                            nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  EXPLICIT_ACCESSW everyone{};
  everyone.grfAccessPermissions = FILE_ADD_FILE;
  everyone.grfAccessMode = GRANT_ACCESS;
  everyone.grfInheritance = NO_INHERITANCE;
  everyone.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  everyone.Trustee.ptstrName = const_cast<wchar_t*>(L"EVERYONE");
  PACL widened = nullptr;
  bool done = SetEntriesInAclW(1, &everyone, old, &widened) == ERROR_SUCCESS &&
              SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                    widened, nullptr) == ERROR_SUCCESS;
  LocalFree(widened);
  LocalFree(descriptor);
  return done;
}

}  // namespace plumeta::testing

// Trial-file behaviour that only Windows file systems can show.

#include <windows.h>

#include <sddl.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "trial/trial_file.h"

namespace vorsant {
namespace {

namespace fs = std::filesystem;

// The file's DACL in SDDL form, "" when it cannot be read.
std::wstring AccessRules(const fs::path& file) {
  DWORD needed = 0;
  GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  std::string descriptor(needed, '\0');
  if (needed == 0 ||
      !GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed))
    return {};
  wchar_t* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                            DACL_SECURITY_INFORMATION, &text, nullptr))
    return {};
  std::wstring rules(text);
  LocalFree(text);
  return rules;
}

bool SetAccessRules(const fs::path& file, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
    return false;
  const bool ok = SetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, descriptor) != 0;
  LocalFree(descriptor);
  return ok;
}

// Trial files and the environment file are rewritten through a new file put
// in the old one's place; the old one's access rules must survive that.
TEST(TrialFileWin, RewritingKeepsTheOldFilesAccessRules) {
  const fs::path dir = fs::temp_directory_path() / ("vorsant_acl_" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  const fs::path file = dir / "vorsant.dat";
  TWineRec rec;
  ASSERT_EQ(SaveTrialFile(file, rec), 0);
  // Every user may change it, as on a shared laboratory PC.
  ASSERT_TRUE(SetAccessRules(file, L"D:P(A;;FA;;;WD)"));
  const std::wstring before = AccessRules(file);
  ASSERT_NE(before.find(L";WD)"), std::wstring::npos) << "no rule for everyone was set";

  rec.Model = 1;
  ASSERT_EQ(SaveTrialFile(file, rec), 0);
  EXPECT_EQ(AccessRules(file), before);
  EXPECT_EQ(ReadTrialFile(file).WineRec.Model, 1);

  fs::remove_all(dir);
}

}  // namespace
}  // namespace vorsant

#pragma once
// The installer session and message records behind the library's Installer
// and InstallerRecord. Included by _win.cpp files only.

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "analytics/installer.h"

namespace plumeta {

// Borrows the handle the installer passed in; the installer closes it.
class MsiInstaller final : public Installer {
 public:
  explicit MsiInstaller(MSIHANDLE install) : install_(install) {}
  std::u16string Property(std::u16string_view name) override;
  bool EvaluateCondition(std::u16string_view condition) override;
  void LogInfo(std::u16string_view line) override;

 private:
  MSIHANDLE install_;
};

class MsiRecordView final : public InstallerRecord {
 public:
  explicit MsiRecordView(MSIHANDLE record) : record_(record) {}
  std::u16string Field(unsigned index) override;
  // Formatted without an installer handle, as the installer shows it.
  std::u16string FormattedText() override;

 private:
  MSIHANDLE record_;
};

}  // namespace plumeta

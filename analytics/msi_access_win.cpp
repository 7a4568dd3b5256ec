#include "analytics/msi_access_win.h"

#include "analytics/win_text.h"

namespace plumeta {
namespace {

wchar_t* Wide(char16_t* buffer) {
  return reinterpret_cast<wchar_t*>(buffer);
}

}  // namespace

std::u16string MsiInstaller::Property(std::u16string_view name) {
  std::wstring wideName = ToWide(name);
  return ReadInstallerText([&](char16_t* buffer, std::uint32_t& length) -> std::uint32_t {
    DWORD size = length;
    UINT result = MsiGetPropertyW(install_, wideName.c_str(), Wide(buffer), &size);
    length = size;
    return result;
  });
}

bool MsiInstaller::EvaluateCondition(std::u16string_view condition) {
  return MsiEvaluateConditionW(install_, ToWide(condition).c_str()) == MSICONDITION_TRUE;
}

void MsiInstaller::LogInfo(std::u16string_view line) {
  PMSIHANDLE record = MsiCreateRecord(1);
  if (record == 0) return;
  // The text goes in as a field, so that brackets in it are not formatted.
  MsiRecordSetStringW(record, 0, L"[1]");
  MsiRecordSetStringW(record, 1, ToWide(line).c_str());
  MsiProcessMessage(install_, INSTALLMESSAGE_INFO, record);
}

std::u16string MsiRecordView::Field(unsigned index) {
  return ReadInstallerText([&](char16_t* buffer, std::uint32_t& length) -> std::uint32_t {
    DWORD size = length;
    UINT result = MsiRecordGetStringW(record_, index, Wide(buffer), &size);
    length = size;
    return result;
  });
}

std::u16string MsiRecordView::FormattedText() {
  return ReadInstallerText([&](char16_t* buffer, std::uint32_t& length) -> std::uint32_t {
    DWORD size = length;
    UINT result = MsiFormatRecordW(0, record_, Wide(buffer), &size);
    length = size;
    return result;
  });
}

}  // namespace plumeta

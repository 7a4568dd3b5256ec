// Windows hands main() its arguments in the ANSI code page, which cannot hold
// every name; the wide command line can, so it is converted to UTF-8 here.

#include "cli/process_text.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>

namespace vorsant::cli {

namespace {

struct LocalFreeDeleter {
  void operator()(LPWSTR* p) const { LocalFree(p); }
};

std::string ToUtf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(size - 1));
  return out;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalFreeDeleter> wide(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!wide) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(ToUtf8(wide.get()[i]));
  return args;
}

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace vorsant::cli

#include "app/path_text.h"

namespace vorsant {
namespace {

std::size_t NameStart(std::string_view path) {
  auto sep = path.find_last_of("\\/:");
  return sep == std::string_view::npos ? 0 : sep + 1;
}

std::size_t ExtensionStart(std::string_view path) {
  std::size_t name = NameStart(path);
  auto dot = path.rfind('.');
  return (dot == std::string_view::npos || dot < name) ? path.size() : dot;
}

}  // namespace

std::string FileNamePart(std::string_view path) {
  return std::string(path.substr(NameStart(path)));
}

std::string FolderPart(std::string_view path) {
  return std::string(path.substr(0, NameStart(path)));
}

std::string ExtensionPart(std::string_view path) {
  return std::string(path.substr(ExtensionStart(path)));
}

std::string WithTrialExtension(std::string_view path) {
  std::string ext = ExtensionPart(path);
  if (ext == ".vrs" || ext == ".VRS") return std::string(path);
  return std::string(path.substr(0, ExtensionStart(path))) + ".vrs";
}

}  // namespace vorsant

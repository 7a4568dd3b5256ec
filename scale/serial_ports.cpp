#include "scale/serial_ports.h"

#include <cctype>
#include <tuple>

namespace vorsant {

namespace {

// The name split before its trailing digits, and those digits' value.
std::tuple<std::string, unsigned long, std::string> SortKey(const std::string& name) {
  std::size_t digits = name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
  const std::string tail = name.substr(digits);
  const unsigned long number = tail.empty() || tail.size() > 9 ? 0 : std::stoul(tail);
  return {name.substr(0, digits), number, tail};
}

}  // namespace

bool PortNameLess(const std::string& a, const std::string& b) {
  return SortKey(a) < SortKey(b);
}

}  // namespace vorsant

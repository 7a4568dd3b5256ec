#include "collector/http_message.h"

namespace collector {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

std::string FindHeader(const HeaderList& headers, std::string_view name) {
  for (const auto& [key, value] : headers) {
    if (SameName(key, name)) return value;
  }
  return {};
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
               HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Calls `visit(rawPair, decodedName, decodedValue)` for each parameter; stops when it answers true.
template <typename Visit>
void EachParameter(std::string_view target, Visit visit) {
  std::size_t question = target.find('?');
  if (question == std::string_view::npos) return;
  std::string_view query = target.substr(question + 1);
  while (!query.empty()) {
    std::size_t amp = query.find('&');
    std::string_view pair = query.substr(0, amp);
    std::size_t equals = pair.find('=');
    std::string name = PercentDecode(pair.substr(0, equals));
    std::string value = equals == std::string_view::npos ? std::string() : PercentDecode(pair.substr(equals + 1));
    if (visit(pair, name, value)) return;
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
}

}  // namespace

std::string Request::Header(std::string_view name) const {
  return FindHeader(headers, name);
}

std::string Request::Path() const {
  return target.substr(0, target.find('?'));
}

std::string Request::Query(std::string_view name) const {
  std::string found;
  EachParameter(target, [&](std::string_view, const std::string& key, const std::string& value) {
    if (key != name) return false;
    found = value;
    return true;
  });
  return found;
}

bool Request::HasQuery(std::string_view name) const {
  bool found = false;
  EachParameter(target, [&](std::string_view, const std::string& key, const std::string&) {
    return found = key == name;
  });
  return found;
}

std::string Response::Header(std::string_view name) const {
  return FindHeader(headers, name);
}

Response TextResponse(int status, std::string_view text) {
  Response response;
  response.status = status;
  response.headers.emplace_back("Content-Type", "text/plain; charset=utf-8");
  response.body = std::string(text) + "\n";
  return response;
}

std::string QueryWithout(std::string_view target, std::string_view name) {
  std::string kept;
  EachParameter(target, [&](std::string_view pair, const std::string& key, const std::string&) {
    if (key != name && !pair.empty()) kept += (kept.empty() ? "" : "&") + std::string(pair);
    return false;
  });
  return kept;
}

}  // namespace collector

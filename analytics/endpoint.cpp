#include "analytics/endpoint.h"

#include "analytics/text.h"

namespace plumeta {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

}  // namespace

bool IsEndpointUrl(std::u16string_view text) {
  for (std::u16string_view scheme : {std::u16string_view(u"http://"), std::u16string_view(u"https://")}) {
    if (text.size() <= scheme.size() || !EqualsNoCase(text.substr(0, scheme.size()), scheme)) continue;
    std::u16string_view rest = text.substr(scheme.size());
    if (rest.front() == u'/' || rest.front() == u':' || rest.front() == u'?') return false;
    for (char16_t c : text) {
      if (IsBlank(c)) return false;
    }
    return true;
  }
  return false;
}

std::u16string ChooseEndpoint(std::u16string_view property, std::u16string_view builtInDefault) {
  return std::u16string(IsEndpointUrl(property) ? property : builtInDefault);
}

}  // namespace plumeta

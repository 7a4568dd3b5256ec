#pragma once
// Where the hits are posted: the package's `OX_TR_ENDPOINT` property when
// it holds an absolute http(s) URL, otherwise the default fixed when the
// library was built.

#include <string>
#include <string_view>

namespace plumeta {

inline constexpr std::u16string_view kEndpointProperty = u"OX_TR_ENDPOINT";

// True for "http://host..." or "https://host..." (scheme in any case) with
// a host that is not empty.
bool IsEndpointUrl(std::u16string_view text);

std::u16string ChooseEndpoint(std::u16string_view property, std::u16string_view builtInDefault);

}  // namespace plumeta

#pragma once
// The WinINet sender of the form client. Windows only.

#include <memory>
#include <string>

#include "analytics/http_form_client.h"

namespace plumeta {

// Opens an internet session for the User-Agent with the system's proxy
// settings; null when the session cannot be opened.
std::unique_ptr<FormSender> MakeWinInetSender(const std::u16string& userAgent);

}  // namespace plumeta

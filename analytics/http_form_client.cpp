#include "analytics/http_form_client.h"

#include <new>

namespace plumeta {

std::size_t FormRequest::BodyLength() const {
  std::size_t total = 0;
  for (const std::string& field : fields) total += field.size();
  return total;
}

int HttpFormClient::AddField(std::u16string_view key, std::u16string_view value) noexcept {
  try {
    fields_.emplace_back(std::u16string(key), std::u16string(value));
    return 0;
  } catch (const std::bad_alloc&) {
    return kClientFieldAlloc;
  }
}

int HttpFormClient::Post(std::u16string_view url, std::uint32_t& status, std::uint32_t timeLimitMs) noexcept {
  if (!sender_) return kClientNoSession;
  try {
    if (fieldCodePage != kUtf8CodePage) throw ClientExcept(kClientCodePage);
    FormRequest request{std::u16string(url), std::u16string(kFormContentTypeHeader),
                        RenderFormFields(fields_), timeLimitMs};
    FormResponse response = sender_->Send(request);
    status = response.status;
    lastError_ = 0;
    lastSystemError_ = 0;
  } catch (const ClientExcept& failure) {
    lastError_ = failure.code();
    lastSystemError_ = failure.systemError();
  } catch (...) {
    lastError_ = -1;
    lastSystemError_ = 0;
  }
  return 0;
}

std::uint32_t CertificateOverride(int failedAttempt, std::uint32_t error) {
  if (failedAttempt == 1) {
    if (error == kErrorInvalidCa) return kIgnoreUnknownCa;
    if (error == kErrorCertNameInvalid) return kIgnoreCertNameInvalid;
    return 0;
  }
  if (failedAttempt == 2) return error == kErrorInvalidCa ? kIgnoreUnknownCa : kIgnoreCertNameInvalid;
  return 0;
}

AnswerClass ClassifyAnswer(std::uint32_t status) {
  if (status >= 200 && status <= 299) return AnswerClass::kDelivered;
  // Only a client error blames the hit itself; a rate limit or a request
  // the endpoint gave up waiting for does not. Anything else (a failing or
  // overloaded endpoint, a redirect) stored nothing and says nothing
  // against the hit, so it is sent again later.
  if (status >= 400 && status <= 499 && status != 408 && status != 429) return AnswerClass::kRefused;
  if (status >= 100 && status <= 599) return AnswerClass::kRetryLater;
  // Some WinINet implementations end a request whose answer never came in
  // time as if it had succeeded, with no status.
  return AnswerClass::kNoAnswer;
}

bool IsUnreachable(int clientError, std::uint32_t systemError) {
  if (clientError == kClientConnect) return true;
  if (clientError == 0) return false;
  switch (systemError) {
    case kErrorTimeout:
    case kErrorNameNotResolved:
    case kErrorCannotConnect:
    case kErrorConnectionAborted:
    case kErrorConnectionReset:
    case kErrorSocketTimeout:
      return true;
    default:
      return false;
  }
}

bool MayHaveArrived(int clientError) {
  switch (clientError) {
    case kClientNoSession:
    case kClientCrackUrl:
    case kClientConnect:
    case kClientOpenRequest:
    case kClientAddHeaders:
    case kClientSendRequest:
    case kClientFieldTooLong:
    case kClientFieldAlloc:
    case kClientCodePage:
      return false;
    default:
      return true;
  }
}

}  // namespace plumeta

#pragma once
// The form client that posts one hit's fields to the collection endpoint.
// Everything up to the bytes on the wire is prepared here; a FormSender of
// the platform performs the request.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analytics/form_body.h"
#include "analytics/param_list.h"

namespace plumeta {

inline constexpr std::u16string_view kFormContentTypeHeader =
    u"Content-Type:application/x-www-form-urlencoded; charset=utf-8\r\n";
inline constexpr unsigned kUtf8CodePage = 65001;

// No limit beyond the request's own time limits.
inline constexpr std::uint32_t kNoTimeLimit = 0xFFFFFFFFu;

struct FormRequest {
  std::u16string url;
  std::u16string headers;
  // Each field's bytes; written one after the other they form the body.
  std::vector<std::string> fields;
  // How long the whole request may take, in milliseconds.
  std::uint32_t timeLimitMs = kNoTimeLimit;

  std::size_t BodyLength() const;
};

struct FormResponse {
  std::uint32_t status = 0;
  std::u16string text;
};

class FormSender {
 public:
  virtual ~FormSender() = default;
  // Performs the request; a failing step raises ClientExcept with its code.
  virtual FormResponse Send(const FormRequest& request) = 0;
};

class HttpFormClient {
 public:
  // Without a sender the client has no internet session and every post
  // answers kClientNoSession.
  explicit HttpFormClient(std::unique_ptr<FormSender> sender) : sender_(std::move(sender)) {}

  // 0, or kClientFieldAlloc when the field cannot be stored.
  int AddField(std::u16string_view key, std::u16string_view value) noexcept;
  void ClearFields() noexcept { fields_.clear(); }
  const FormFields& fields() const { return fields_; }

  // Posts the fields within about `timeLimitMs`. 1 without an internet
  // session, else 0: a failure of any step is kept in LastError() and goes
  // no further.
  int Post(std::u16string_view url, std::uint32_t& status, std::uint32_t timeLimitMs = kNoTimeLimit) noexcept;
  // The code of the last failed post, 0 after a delivered one; -1 for a
  // failure that carried no code.
  int LastError() const { return lastError_; }
  // The system's error number behind the last failed post, 0 when none.
  std::uint32_t LastSystemError() const { return lastSystemError_; }

  unsigned fieldCodePage = kUtf8CodePage;

 private:
  std::unique_ptr<FormSender> sender_;
  FormFields fields_;
  int lastError_ = 0;
  std::uint32_t lastSystemError_ = 0;
};

// Certificate errors a secure send may override, and the security flags
// that override them.
inline constexpr std::uint32_t kErrorInvalidCa = 12045;
inline constexpr std::uint32_t kErrorCertNameInvalid = 12038;
inline constexpr std::uint32_t kIgnoreUnknownCa = 0x00000100;
inline constexpr std::uint32_t kIgnoreCertNameInvalid = 0x00001000;

// The security flag to add before sending again after attempt `failedAttempt`
// (1, 2, ...) of a secure request failed with `error`; 0 means give up. The
// first failure is retried only for an unknown authority or a name
// mismatch; the second is retried once more whatever the error; the third
// is final.
std::uint32_t CertificateOverride(int failedAttempt, std::uint32_t error);

// Time limits of each request, in milliseconds: an endpoint that does not
// answer must not hold the installation.
inline constexpr std::uint32_t kConnectTimeoutMs = 3000;
inline constexpr std::uint32_t kSendTimeoutMs = 3000;
inline constexpr std::uint32_t kReceiveTimeoutMs = 3000;
// The most of a response that is read; nothing uses it.
inline constexpr std::size_t kResponseLimitBytes = 64 * 1024;

// System errors that say the endpoint cannot be reached at all: time-outs,
// unknown host, refused, aborted or reset connections.
inline constexpr std::uint32_t kErrorTimeout = 12002;
inline constexpr std::uint32_t kErrorNameNotResolved = 12007;
inline constexpr std::uint32_t kErrorCannotConnect = 12029;
inline constexpr std::uint32_t kErrorConnectionAborted = 12030;
inline constexpr std::uint32_t kErrorConnectionReset = 12031;
// Some WinINet implementations pass on the socket's own time-out.
inline constexpr std::uint32_t kErrorSocketTimeout = 10060;

// True when a post failed because the endpoint could not be reached, which
// the next post of the same flush would only find out again, slowly.
bool IsUnreachable(int clientError, std::uint32_t systemError);

// What an endpoint's answer means for the hit it was given.
enum class AnswerClass {
  kDelivered,   // 2xx: the hit is stored
  kRetryLater,  // 5xx, 429, 408, and a redirect left unfollowed: nothing was stored
  kRefused,     // any other 4xx: the endpoint refuses this hit and would again
  kNoAnswer,    // no status at all: the hit went out and no answer was read
};

AnswerClass ClassifyAnswer(std::uint32_t status);

// True when a post that failed with this code may have delivered its hit:
// the step that failed came once the body had begun to go out. Up to the
// request's headers nothing of the hit has left.
bool MayHaveArrived(int clientError);

}  // namespace plumeta

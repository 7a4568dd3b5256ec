#pragma once
// The body of a hit's request: one field per (key, value) pair, each
// rendered as UTF-8 key "=" value into its own 1024-byte buffer, joined
// with "&".

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "analytics/param_list.h"

namespace plumeta {

// Error codes of the form client, carried by ClientExcept.
enum ClientError : int {
  kClientNoSession = 1,
  kClientCrackUrl = 2,
  kClientConnect = 3,
  kClientOpenRequest = 4,
  kClientAddHeaders = 5,
  kClientSendRequest = 6,
  kClientEndRequest = 7,
  kClientWrite = 10,
  kClientReadResponse = 11,
  kClientFieldTooLong = 12,
  kClientFieldAlloc = 13,
  kClientResponseBuffer = 14,
  kClientCodePage = 18,
};

class ClientExcept : public std::exception {
 public:
  // `systemError` is the system's error number behind the failure, 0 when
  // there is none.
  explicit ClientExcept(int code, std::uint32_t systemError = 0) : code_(code), systemError_(systemError) {}
  int code() const { return code_; }
  std::uint32_t systemError() const { return systemError_; }
  const char* what() const noexcept override { return "form client failure"; }

 private:
  int code_;
  std::uint32_t systemError_;
};

inline constexpr std::size_t kFieldBufferBytes = 1024;

// UTF-8 of the text with "%", "&", "+" and the control characters written
// as "%XX": unescaped they would end the field or change the text for the
// endpoint's form decoder. Every other byte passes unchanged. The result is
// cut before the first character that would take it past `maxBytes`, so
// neither a UTF-8 sequence nor an escape is ever split.
std::string EncodeFormText(std::u16string_view text, std::size_t maxBytes = std::string::npos);

// Each field's bytes as they go on the wire: key "=" value, "&" after all
// but the last. A field must fit its 1024-byte buffer together with its
// "&" (or, for the last, its terminating zero): an overlong value is cut
// to fit rather than losing the whole hit. A key that cannot fit raises
// ClientExcept(kClientFieldTooLong).
std::vector<std::string> RenderFormFields(const FormFields& fields);

// The rendered fields one after the other: the request body.
std::string JoinFields(const std::vector<std::string>& rendered);

}  // namespace plumeta

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "analytics/text.h"
#include "analytics/timed_post.h"
#include "analytics/win_text.h"
#include "analytics/wininet_sender.h"
#include "common/unique_handle_win.h"

namespace plumeta {
namespace {

constexpr DWORD kUrlPartChars = 100;
constexpr DWORD kResponseBlock = 1024;

using InternetHandle = common::UniqueHandle<common::NullIsNone<HINTERNET, InternetCloseHandle>>;

[[noreturn]] void Fail(int code) {
  throw ClientExcept(code, GetLastError());
}

// The time a request has left, in milliseconds, from its start tick.
class Deadline {
 public:
  explicit Deadline(std::uint32_t limitMs) : start_(GetTickCount()), limit_(limitMs) {}
  DWORD Left() const {
    if (limit_ == kNoTimeLimit) return INFINITE;
    DWORD elapsed = GetTickCount() - start_;
    return elapsed >= limit_ ? 0 : limit_ - elapsed;
  }
  bool Passed() const { return Left() == 0; }

 private:
  DWORD start_;
  std::uint32_t limit_;
};

// Some WinINet versions honour time limits only on the handle a request
// uses, so every handle gets them, none longer than what the request has
// left (name resolution and proxy look-up run under the connect limit).
void SetTimeLimits(HINTERNET handle, DWORD leftMs = INFINITE) {
  auto within = [leftMs](DWORD limit) { return leftMs < limit ? (leftMs == 0 ? 1 : leftMs) : limit; };
  const std::pair<DWORD, DWORD> limits[] = {
      {INTERNET_OPTION_CONNECT_TIMEOUT, within(kConnectTimeoutMs)},
      {INTERNET_OPTION_SEND_TIMEOUT, within(kSendTimeoutMs)},
      {INTERNET_OPTION_RECEIVE_TIMEOUT, within(kReceiveTimeoutMs)},
      {INTERNET_OPTION_DATA_SEND_TIMEOUT, within(kSendTimeoutMs)},
      {INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, within(kReceiveTimeoutMs)},
      {INTERNET_OPTION_CONNECT_RETRIES, 1},
  };
  for (auto [option, value] : limits) InternetSetOptionW(handle, option, &value, sizeof value);
}

// One post with its own connection and request handles. It may outlive
// the wait for it (see WinInetSender), so it keeps everything it uses.
class Exchange final : public PostSteps {
 public:
  Exchange(HINTERNET session, FormRequest form)
      : form_(std::move(form)), session_(session), deadline_(form_.timeLimitMs) {}

  // Runs the whole post on the caller's thread; a failing step raises ClientExcept.
  FormResponse Perform() {
    Begin();
    return Finish();
  }

  void Begin() override {
    std::wstring url = ToWide(form_.url);
    wchar_t host[kUrlPartChars] = {}, user[kUrlPartChars] = {}, password[kUrlPartChars] = {},
            path[kUrlPartChars] = {};
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = kUrlPartChars;
    parts.lpszUserName = user;
    parts.dwUserNameLength = kUrlPartChars;
    parts.lpszPassword = password;
    parts.dwPasswordLength = kUrlPartChars;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = kUrlPartChars;
    if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts)) Fail(kClientCrackUrl);

    connection_.Reset(
        InternetConnectW(session_, host, parts.nPort, user, password, INTERNET_SERVICE_HTTP, 0, 0));
    if (connection_.Get() == nullptr) Fail(kClientConnect);
    SetTimeLimits(connection_.Get(), deadline_.Left());

    // A redirect followed turns the POST into a GET that stores nothing and
    // is refused; unfollowed, it is an answer that keeps the hit for later.
    DWORD flags = INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT;
    secure_ = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (secure_) flags |= INTERNET_FLAG_SECURE;
    HINTERNET opened =
        HttpOpenRequestW(connection_.Get(), L"POST", path, nullptr, nullptr, nullptr, flags, 0);
    {
      std::lock_guard<std::mutex> lock(requestMutex_);
      request_.Reset(opened);
      if (aborted_) request_.Reset();
    }
    SetTimeLimits(Request(kClientOpenRequest), deadline_.Left());

    std::wstring headers = ToWide(form_.headers);
    if (!HttpAddRequestHeadersW(Request(kClientAddHeaders), headers.c_str(), static_cast<DWORD>(-1),
                                HTTP_ADDREQ_FLAG_ADD)) {
      Fail(kClientAddHeaders);
    }
    SendHeaders(static_cast<DWORD>(form_.BodyLength()));
  }

  FormResponse Finish() override {
    for (const std::string& field : form_.fields) WriteField(field);
    if (!HttpEndRequestW(Request(kClientEndRequest), nullptr, 0, 0)) Fail(kClientEndRequest);
    return ReadResponse();
  }

  // Closing the request makes a call that waits on it return at once.
  void Abort() override {
    std::lock_guard<std::mutex> lock(requestMutex_);
    aborted_ = true;
    request_.Reset();
  }

 private:
  // The request handle; none once the post was aborted.
  HINTERNET Request(int failure) {
    std::lock_guard<std::mutex> lock(requestMutex_);
    if (request_.Get() == nullptr) throw ClientExcept(failure, ERROR_INTERNET_TIMEOUT);
    return request_.Get();
  }

  void SendHeaders(DWORD bodyLength) {
    INTERNET_BUFFERSW buffers{};
    buffers.dwStructSize = sizeof buffers;
    buffers.dwBufferTotal = bodyLength;
    for (int attempt = 1;; ++attempt) {
      HINTERNET request = Request(kClientSendRequest);
      if (HttpSendRequestExW(request, &buffers, nullptr, 0, 0)) return;
      DWORD error = GetLastError();
      // Only a secure request may override certificate errors.
      std::uint32_t override = secure_ ? CertificateOverride(attempt, error) : 0;
      if (override == 0) throw ClientExcept(kClientSendRequest, error);
      DWORD security = 0;
      DWORD size = sizeof security;
      InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &security, &size);
      security |= override;
      InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &security, sizeof security);
    }
  }

  void WriteField(const std::string& field) {
    std::size_t done = 0;
    while (done < field.size()) {
      DWORD written = 0;
      if (!InternetWriteFile(Request(kClientWrite), field.data() + done,
                             static_cast<DWORD>(field.size() - done), &written) ||
          written == 0) {
        Fail(kClientWrite);
      }
      done += written;
    }
  }

  // Reads what the endpoint answers, up to kResponseLimitBytes and while
  // the request has time left: the hit is delivered once the request has
  // ended, and an endpoint that answers slowly must not hold the flush.
  FormResponse ReadResponse() {
    FormResponse response;
    std::string block;
    try {
      block.resize(kResponseBlock);
    } catch (const std::bad_alloc&) {
      throw ClientExcept(kClientResponseBuffer);
    }
    HINTERNET request = Request(kClientReadResponse);
    std::size_t total = 0;
    while (total < kResponseLimitBytes && !deadline_.Passed()) {
      // Asking what has arrived first keeps each read from waiting for a
      // whole block that comes a byte at a time.
      DWORD available = 0;
      if (!InternetQueryDataAvailable(request, &available, 0, 0)) Fail(kClientReadResponse);
      if (available == 0) break;
      DWORD want =
          std::min<DWORD>({available, kResponseBlock, static_cast<DWORD>(kResponseLimitBytes - total)});
      DWORD read = 0;
      if (!InternetReadFile(request, block.data(), want, &read)) Fail(kClientReadResponse);
      if (read == 0) break;
      total += read;
      response.text += FromUtf8(std::string_view(block.data(), read));
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
      Fail(kClientReadResponse);
    }
    response.status = status;
    return response;
  }

  const FormRequest form_;
  HINTERNET session_;
  Deadline deadline_;
  // Closed request first: closing a connection frees its requests, and
  // WinINet hands the freed handle values out again.
  InternetHandle connection_;
  std::mutex requestMutex_;
  InternetHandle request_;
  bool aborted_ = false;
  bool secure_ = false;
};

// A post never takes much longer than its time limit, whatever the endpoint
// does: WinINet's own limits apply to each wait, and an endpoint that sends
// its answer a byte at a time never lets one of them expire. So a post with
// a time limit runs on a thread of its own (see RunTimedPost).
class WinInetSender final : public FormSender {
 public:
  explicit WinInetSender(HINTERNET session) : session_(session) {}

  FormResponse Send(const FormRequest& request) override {
    // The previous post's handles close first, unless its thread still runs.
    last_.reset();
    SetTimeLimits(session_.Get(), Deadline(request.timeLimitMs).Left());
    auto exchange = std::make_shared<Exchange>(session_.Get(), request);
    last_ = exchange;
    if (request.timeLimitMs == kNoTimeLimit) return exchange->Perform();
    // A thread given up on runs code of this library until it ends, maybe
    // after the installer has let go of the library.
    return RunTimedPost(exchange, request.timeLimitMs, &KeepLibraryLoaded);
  }

 private:
  static void KeepLibraryLoaded() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&KeepLibraryLoaded), &self);
  }

  InternetHandle session_;
  std::shared_ptr<Exchange> last_;
};

}  // namespace

std::unique_ptr<FormSender> MakeWinInetSender(const std::u16string& userAgent) {
  HINTERNET session =
      InternetOpenW(ToWide(userAgent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session == nullptr) return nullptr;
  SetTimeLimits(session);
  return std::make_unique<WinInetSender>(session);
}

}  // namespace plumeta

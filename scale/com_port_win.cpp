// TComPort on a Windows COM device: overlapped transfers on a device opened
// for exclusive use, each direction with its own completion signal.

#include <windows.h>

#include <string>
#include <utility>

#include "scale/com_port.h"
#include "scale/com_port_device.h"

namespace vorsant {

namespace {

// The system's text for an error number, as UTF-8 like every text the
// program passes around.
std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string message;
  if (n > 0 && text != nullptr) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    message.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    if (size > 0) {
      WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), message.data(), size, nullptr, nullptr);
    }
  }
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' ')) {
    message.pop_back();
  }
  if (message.empty()) message = "System error " + std::to_string(code);
  return message;
}

[[noreturn]] void RaiseError(DWORD code) {
  SetLastError(0);
  throw EComError(SystemMessage(code), static_cast<int>(code));
}

// A failed call raises its error, unless that says "no error" or "pending".
void Check(BOOL ok) {
  if (ok) return;
  const DWORD code = GetLastError();
  if (code != 0 && code != ERROR_IO_PENDING) RaiseError(code);
}

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Handle() {
    if (h_ != nullptr) CloseHandle(h_);
  }
  Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    std::swap(h_, other.h_);
    return *this;
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_ = nullptr;
};

Handle NewEvent(bool manualReset, bool signalled) {
  Handle h(CreateEventW(nullptr, manualReset ? TRUE : FALSE, signalled ? TRUE : FALSE, nullptr));
  if (!h) RaiseError(GetLastError());
  return h;
}

DeviceLineState FromDcb(const DCB& d) {
  DeviceLineState s;
  s.BaudRate = d.BaudRate;
  s.ByteSize = d.ByteSize;
  s.Parity = d.Parity;
  s.StopBits = d.StopBits;
  s.Binary = d.fBinary != 0;
  s.CheckParity = d.fParity != 0;
  s.OutxCtsFlow = d.fOutxCtsFlow != 0;
  s.OutxDsrFlow = d.fOutxDsrFlow != 0;
  s.DtrControl = static_cast<std::uint8_t>(d.fDtrControl);
  s.DsrSensitivity = d.fDsrSensitivity != 0;
  s.TXContinueOnXoff = d.fTXContinueOnXoff != 0;
  s.OutX = d.fOutX != 0;
  s.InX = d.fInX != 0;
  s.ErrorChar = d.fErrorChar != 0;
  s.Null = d.fNull != 0;
  s.RtsControl = static_cast<std::uint8_t>(d.fRtsControl);
  s.AbortOnError = d.fAbortOnError != 0;
  s.XonLim = d.XonLim;
  s.XoffLim = d.XoffLim;
  s.XonChar = static_cast<std::uint8_t>(d.XonChar);
  s.XoffChar = static_cast<std::uint8_t>(d.XoffChar);
  s.ErrorCharValue = static_cast<std::uint8_t>(d.ErrorChar);
  s.EofChar = static_cast<std::uint8_t>(d.EofChar);
  s.EvtChar = static_cast<std::uint8_t>(d.EvtChar);
  return s;
}

void ToDcb(const DeviceLineState& s, DCB& d) {
  d.BaudRate = s.BaudRate;
  d.ByteSize = s.ByteSize;
  d.Parity = s.Parity;
  d.StopBits = s.StopBits;
  d.fBinary = s.Binary;
  d.fParity = s.CheckParity;
  d.fOutxCtsFlow = s.OutxCtsFlow;
  d.fOutxDsrFlow = s.OutxDsrFlow;
  d.fDtrControl = s.DtrControl;
  d.fDsrSensitivity = s.DsrSensitivity;
  d.fTXContinueOnXoff = s.TXContinueOnXoff;
  d.fOutX = s.OutX;
  d.fInX = s.InX;
  d.fErrorChar = s.ErrorChar;
  d.fNull = s.Null;
  d.fRtsControl = s.RtsControl;
  d.fAbortOnError = s.AbortOnError;
  d.XonLim = s.XonLim;
  d.XoffLim = s.XoffLim;
  d.XonChar = static_cast<char>(s.XonChar);
  d.XoffChar = static_cast<char>(s.XoffChar);
  d.ErrorChar = static_cast<char>(s.ErrorCharValue);
  d.EofChar = static_cast<char>(s.EofChar);
  d.EvtChar = static_cast<char>(s.EvtChar);
}

// How long closing waits for the last write to leave before giving up on it.
constexpr DWORD kCloseWriteWaitMs = 2000;
// How much longer than its time limit a write is waited for.
constexpr std::chrono::milliseconds kWriteWaitMargin{500};

LineSetupRefusal Refusal(DWORD code) {
  if (code == ERROR_INVALID_PARAMETER) return LineSetupRefusal::InvalidSetting;
  if (code == ERROR_NOT_SUPPORTED) return LineSetupRefusal::NotSupported;
  return LineSetupRefusal::Other;
}

class WinComDevice final : public ComDevice {
 public:
  WinComDevice(Handle device, Handle events, Handle reads, Handle writes, bool pseudoTerminal)
      : events_(std::move(events)),
        reads_(std::move(reads)),
        writes_(std::move(writes)),
        device_(std::move(device)),
        pseudoTerminal_(pseudoTerminal) {}

  ~WinComDevice() override {
    // The system writes into the OVERLAPPED blocks and buffers of a pending
    // transfer until it completes, so none may outlive this object.
    if (writePending_ && WaitForSingleObject(writes_.get(), kCloseWriteWaitMs) != WAIT_OBJECT_0) {
      CancelIoEx(device_.get(), &writeOv_);
    }
    if (writePending_) Settle(writeOv_);
    DrainOutput();
    if (readPending_) {
      CancelIoEx(device_.get(), &readOv_);
      Settle(readOv_);
    }
  }
  WinComDevice(const WinComDevice&) = delete;
  WinComDevice& operator=(const WinComDevice&) = delete;

  void Setup(const ComLineSettings& settings, const TComBufferSizes& buffers, const TComTimeouts& timeouts) {
    // Discard what waits to be read. The transmit side was drained when the
    // port was last closed; clearing it here would, on a virtual port (a
    // pseudo-terminal under Wine), throw away bytes the other end has simply
    // not read yet, such as the tare written just before this open.
    Check(PurgeComm(device_.get(), PURGE_RXABORT | PURGE_RXCLEAR));
    if (buffers.Input != -1 && buffers.Output != -1) {
      Check(SetupComm(device_.get(), static_cast<DWORD>(buffers.Input), static_cast<DWORD>(buffers.Output)));
    }
    ApplyLineSettings(settings);
    ApplyTimeouts(timeouts);
    // No event handlers are used, so no event is watched and no thread runs.
    Check(SetCommMask(device_.get(), 0));
  }

  void ApplyLineSettings(const ComLineSettings& settings) override {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    Check(GetCommState(device_.get(), &dcb));
    DeviceLineState state = FromDcb(dcb);
    vorsant::ApplyLineSettings(settings, state);
    ToDcb(state, dcb);
    if (SetCommState(device_.get(), &dcb)) return;
    DWORD code = GetLastError();
    RefusalAction action =
        OnRefusedLineSetup(Refusal(code), pseudoTerminal_, pseudoTerminal_ && SpeedTaken(dcb));
    if (action == RefusalAction::KeepDeviceFraming) {
      DCB now{};
      now.DCBlength = sizeof(now);
      Check(GetCommState(device_.get(), &now));
      dcb.ByteSize = now.ByteSize;
      dcb.Parity = now.Parity;
      if (SetCommState(device_.get(), &dcb)) return;
      code = GetLastError();
      action = OnRefusedLineSetup(Refusal(code), pseudoTerminal_, false);
    }
    if (action != RefusalAction::Accept) RaiseError(code);
    SetLastError(0);
  }

  void ApplyTimeouts(const TComTimeouts& configured) override {
    const TComTimeouts t = DeviceTimeouts(configured);
    COMMTIMEOUTS ct{};
    Check(GetCommTimeouts(device_.get(), &ct));
    ct.ReadIntervalTimeout = t.ReadInterval;
    ct.ReadTotalTimeoutMultiplier = t.ReadMultiplier;
    ct.ReadTotalTimeoutConstant = t.ReadConstant;
    ct.WriteTotalTimeoutMultiplier = t.WriteMultiplier;
    ct.WriteTotalTimeoutConstant = t.WriteConstant;
    Check(SetCommTimeouts(device_.get(), &ct));
    timeouts_ = t;
  }

  void StartWrite(const std::uint8_t* data, std::size_t count) override {
    writeOv_ = OVERLAPPED{};
    writeOv_.hEvent = writes_.get();
    // A write that completes at once still reports through the OVERLAPPED
    // block, so both outcomes end in FinishWrite.
    const BOOL ok = WriteFile(device_.get(), data, static_cast<DWORD>(count), nullptr, &writeOv_);
    if (!ok && GetLastError() != ERROR_IO_PENDING) RaiseError(GetLastError());
    writePending_ = true;
    writeCount_ = count;
  }

  std::size_t FinishWrite() override {
    if (!writePending_) return 0;
    // The driver ends the write at its time limit; this wait, a little
    // longer, covers a driver that does not, and the write is then
    // cancelled. Either way the caller sees a short write.
    const auto limit = WriteLimit(timeouts_, writeCount_) + kWriteWaitMargin;
    const DWORD w = WaitForSingleObject(writes_.get(), static_cast<DWORD>(limit.count()));
    if (w == WAIT_FAILED) RaiseError(GetLastError());
    if (w == WAIT_TIMEOUT) CancelIoEx(device_.get(), &writeOv_);
    DWORD n = 0;
    const BOOL ok = GetOverlappedResult(device_.get(), &writeOv_, &n, TRUE);
    writePending_ = false;
    if (!ok) {
      const DWORD code = GetLastError();
      // An expired or cancelled write: what it sent counts, the rest is the
      // caller's "Timeout".
      if (code == ERROR_SEM_TIMEOUT || code == ERROR_TIMEOUT || code == WAIT_TIMEOUT ||
          code == ERROR_OPERATION_ABORTED) {
        SetLastError(0);
        return static_cast<std::size_t>(writeOv_.InternalHigh);
      }
      Check(FALSE);
    }
    return n;
  }

  void StartRead(std::uint8_t* data, std::size_t count) override {
    readOv_ = OVERLAPPED{};
    readOv_.hEvent = reads_.get();
    const BOOL ok = ReadFile(device_.get(), data, static_cast<DWORD>(count), nullptr, &readOv_);
    if (!ok && GetLastError() != ERROR_IO_PENDING) RaiseError(GetLastError());
    readPending_ = true;
  }

  std::optional<std::size_t> FinishRead(std::optional<std::chrono::milliseconds> limit) override {
    if (!readPending_) return 0;
    if (limit) {
      const DWORD ms = static_cast<DWORD>(limit->count() < 0 ? 0 : limit->count());
      const DWORD w = WaitForSingleObject(reads_.get(), ms);
      if (w == WAIT_FAILED) RaiseError(GetLastError());
      if (w == WAIT_TIMEOUT) {
        CancelIoEx(device_.get(), &readOv_);
        // The byte may have arrived while the cancel was on its way.
        const std::size_t n = Settle(readOv_);
        readPending_ = false;
        if (n == 0) return std::nullopt;
        return n;
      }
    }
    DWORD n = 0;
    const BOOL ok = GetOverlappedResult(device_.get(), &readOv_, &n, TRUE);
    readPending_ = false;
    Check(ok);
    return n;
  }

  void ClearLineErrors() override {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(device_.get(), &errors, &status)) {
      // Line errors are not acted upon, so a device that cannot report
      // them is no reason to fail a read.
      if (GetLastError() != ERROR_NOT_SUPPORTED) Check(FALSE);
      SetLastError(0);
    }
  }

 private:
  // Closing waits (a bounded time) until the driver has sent what it was
  // given, so a command written just before closing is complete on the line
  // and the next open's purge cannot cut it short.
  void DrainOutput() {
    const ULONGLONG until = GetTickCount64() + kCloseWriteWaitMs;
    DWORD errors = 0;
    COMSTAT status{};
    while (ClearCommError(device_.get(), &errors, &status) && status.cbOutQue > 0 &&
           GetTickCount64() < until) {
      Sleep(2);
    }
    SetLastError(0);
  }

  // Whether the device, although it refused the set-up, runs at the speed
  // `wanted` asks for.
  bool SpeedTaken(const DCB& wanted) const {
    DCB now{};
    now.DCBlength = sizeof(now);
    return GetCommState(device_.get(), &now) && now.BaudRate == wanted.BaudRate;
  }

  // Waits until the system is done with `ov`; the bytes it transferred.
  std::size_t Settle(OVERLAPPED& ov) {
    DWORD n = 0;
    if (!GetOverlappedResult(device_.get(), &ov, &n, TRUE)) n = 0;
    SetLastError(0);
    return n;
  }

  // Declared first, closed last: the device goes before its signals.
  Handle events_, reads_, writes_;
  Handle device_;
  const bool pseudoTerminal_;
  TComTimeouts timeouts_;
  OVERLAPPED readOv_{}, writeOv_{};
  std::size_t writeCount_ = 0;
  bool readPending_ = false, writePending_ = false;
};

// Wine shows a Unix device as a COM port when its Ports key maps the COM
// name to the device's path. A pseudo-terminal mapped there (the balance
// simulator's) cannot take the balance's framing; Windows itself has no such
// key, so a real port is never treated as one.
bool IsWinePseudoTerminal(const std::string& name) {
  const std::string com = name.rfind("\\\\.\\", 0) == 0 ? name.substr(4) : name;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Wine\\Ports", 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                    &key) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring value(com.begin(), com.end());
  wchar_t path[MAX_PATH + 1] = {};
  DWORD type = 0;
  DWORD size = sizeof(path) - sizeof(wchar_t);
  const LONG got = RegQueryValueExW(key, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
  RegCloseKey(key);
  if (got != ERROR_SUCCESS || type != REG_SZ) return false;
  std::string unixPath;
  for (const wchar_t* c = path; *c != 0; ++c) unixPath.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
  return IsPseudoTerminalPath(unixPath);
}

}  // namespace

std::unique_ptr<ComDevice> OpenComDevice(const std::string& name, const ComLineSettings& settings,
                                         const TComBufferSizes& buffers, const TComTimeouts& timeouts) {
  Handle events = NewEvent(false, false);
  Handle reads = NewEvent(true, true);
  Handle writes = NewEvent(true, true);
  // "COM10" and above exist only in the device namespace, so every name goes there.
  const std::string path = name.rfind("\\\\", 0) == 0 ? name : "\\\\.\\" + name;
  Handle device(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr));
  if (!device) RaiseError(GetLastError());
  auto com = std::make_unique<WinComDevice>(std::move(device), std::move(events), std::move(reads),
                                            std::move(writes), IsWinePseudoTerminal(name));
  com->Setup(settings, buffers, timeouts);
  return com;
}

}  // namespace vorsant

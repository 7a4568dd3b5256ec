#include "scale/com_port.h"

#include <cstring>

#include "scale/com_port_device.h"

namespace vorsant {

TComTimeouts DeviceTimeouts(const TComTimeouts& configured) {
  TComTimeouts t = configured;
  if (t.WriteMultiplier == 0 && t.WriteConstant == 0) {
    t.WriteMultiplier = kOwnWriteMultiplierMs;
    t.WriteConstant = kOwnWriteConstantMs;
  }
  return t;
}

std::chrono::milliseconds WriteLimit(const TComTimeouts& timeouts, std::size_t count) {
  return std::chrono::milliseconds(static_cast<std::uint64_t>(timeouts.WriteMultiplier) * count +
                                   timeouts.WriteConstant);
}

RefusalAction OnRefusedLineSetup(LineSetupRefusal why, bool pseudoTerminal, bool speedTaken) {
  if (!pseudoTerminal) return RefusalAction::Raise;
  switch (why) {
    case LineSetupRefusal::InvalidSetting:
      return speedTaken ? RefusalAction::KeepDeviceFraming : RefusalAction::Raise;
    case LineSetupRefusal::NotSupported:
      return RefusalAction::Accept;
    case LineSetupRefusal::Other:
      break;
  }
  return RefusalAction::Raise;
}

bool IsPseudoTerminalPath(std::string_view path) {
  return path.rfind("/dev/pts/", 0) == 0;
}

TCustomComPort::TCustomComPort() = default;

TCustomComPort::~TCustomComPort() {
  // The device's destructor finishes or abandons transfers; nothing here can
  // throw past it.
  device_.reset();
}

void TCustomComPort::SetDeviceName(const std::string& name) {
  if (Active()) throw EComError(kOpenPortMessage, 0);
  deviceName_ = name;
}

void TCustomComPort::LineSettingsChanged() {
  if (Active()) device_->ApplyLineSettings(line_);
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
  if (value == line_.BaudRate) return;
  line_.BaudRate = value;
  LineSettingsChanged();
}

void TCustomComPort::SetCustomBaudRate(std::uint32_t value) {
  if (value == line_.CustomBaudRate) return;
  line_.CustomBaudRate = value;
  if (line_.BaudRate == TBaudRate::brCustom) LineSettingsChanged();
}

void TCustomComPort::SetDataBits(TDataBits value) {
  if (value == line_.DataBits) return;
  line_.DataBits = value;
  LineSettingsChanged();
}

void TCustomComPort::SetParity(TParity value) {
  if (value == line_.Parity) return;
  line_.Parity = value;
  LineSettingsChanged();
}

void TCustomComPort::SetStopBits(TStopBits value) {
  if (value == line_.StopBits) return;
  line_.StopBits = value;
  LineSettingsChanged();
}

void TCustomComPort::SetOptions(const TOptions& value) {
  if (value == line_.Options) return;
  line_.Options = value;
  LineSettingsChanged();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& value) {
  if (value == line_.FlowControl) return;
  line_.FlowControl = value;
  LineSettingsChanged();
}

void TCustomComPort::SetCharacters(const TComCharacters& value) {
  if (value == line_.Characters) return;
  line_.Characters = value;
  LineSettingsChanged();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& value) {
  if (value == timeouts_) return;
  timeouts_ = value;
  if (Active()) device_->ApplyTimeouts(timeouts_);
}

void TCustomComPort::SetActive(bool value) {
  if (value == Active()) return;
  if (value) {
    Open();
  } else {
    Close();
  }
}

void TCustomComPort::Open() {
  if (Active()) return;
  // Whatever an earlier open left behind goes first.
  pendingWrite_.reset();
  pendingRead_.reset();
  device_ = OpenComDevice(deviceName_, line_, bufferSizes_, timeouts_);
}

void TCustomComPort::Close() {
  if (!Active()) return;
  pendingWrite_.reset();
  pendingRead_.reset();
  device_.reset();
}

void TCustomComPort::RequireOpen() const {
  if (!Active()) throw EComError(kClosedPortMessage, 0);
}

void TCustomComPort::CompletePendingWrite() {
  if (!pendingWrite_) return;
  const std::size_t wanted = *pendingWrite_;
  pendingWrite_.reset();
  if (device_->FinishWrite() < wanted) throw EComError(kTimeoutMessage, 0);
}

void TCustomComPort::CompletePendingRead() {
  if (!pendingRead_) return;
  const std::size_t wanted = *pendingRead_;
  pendingRead_.reset();
  const std::optional<std::size_t> got = device_->FinishRead(std::nullopt);
  device_->ClearLineErrors();
  if (got.value_or(0) < wanted) throw EComError(kTimeoutMessage, 0);
}

std::size_t TCustomComPort::Write(const void* buffer, std::size_t count, bool wait) {
  RequireOpen();
  CompletePendingWrite();
  if (count == 0) return 0;
  // Our own copy keeps the bytes alive while the device still sends them,
  // whichever way the call returns.
  writeBuffer_.assign(static_cast<const std::uint8_t*>(buffer),
                      static_cast<const std::uint8_t*>(buffer) + count);
  device_->StartWrite(writeBuffer_.data(), count);
  pendingWrite_ = count;
  if (wait) CompletePendingWrite();
  return count;
}

std::size_t TCustomComPort::Read(void* buffer, std::size_t count, bool wait) {
  RequireOpen();
  CompletePendingRead();
  if (count == 0) return 0;
  device_->StartRead(static_cast<std::uint8_t*>(buffer), count);
  pendingRead_ = count;
  if (!wait) return 0;
  CompletePendingRead();
  return count;
}

void TCustomComPort::WriteAnsiChar(char c) {
  Write(&c, 1, false);
}

char TCustomComPort::ReadAnsiChar() {
  char c = 0;
  Read(&c, 1, true);
  return c;
}

std::optional<char> TCustomComPort::ReadAnsiCharWithin(std::chrono::milliseconds limit) {
  RequireOpen();
  CompletePendingRead();
  std::uint8_t byte = 0;
  device_->StartRead(&byte, 1);
  const std::optional<std::size_t> got = device_->FinishRead(limit);
  if (!got) return std::nullopt;
  device_->ClearLineErrors();
  // The device's own time limits may end the read empty: no byte in time.
  if (*got == 0) return std::nullopt;
  return static_cast<char>(byte);
}

std::string TCustomComPort::ReadAnsiUntil(char terminator) {
  std::string result;
  char c = 0;
  do {
    c = ReadAnsiChar();
    result.push_back(c);
  } while (c != terminator);
  return result;
}

}  // namespace vorsant

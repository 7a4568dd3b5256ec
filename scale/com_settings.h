#pragma once
// Settings of the serial-port object and how they change a device's line
// state. The device state is kept in a plain struct shaped like the Windows
// device control block, so the rules that decide which fields change are
// portable and tested once; each platform only copies the struct to and from
// its own device.

#include <cstdint>
#include <set>

namespace vorsant {

// The first member of each enumeration leaves the device's current value.
enum class TBaudRate {
  brDefault,
  br50,
  br75,
  br110,
  br134_5,
  br150,
  br300,
  br600,
  br1200,
  br1800,
  br2000,
  br2400,
  br3600,
  br4800,
  br7200,
  br9600,
  br10400,
  br14400,
  br15625,
  br19200,
  br28800,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000,
  brCustom
};
enum class TDataBits { dbDefault, db4, db5, db6, db7, db8, db9, db16, db16x };
enum class TParity { paDefault, paNone, paOdd, paEven, paMark, paSpace };
enum class TStopBits { sbDefault, sb1, sb1_5, sb2 };
enum class TOption {
  opCheckParity,
  opOutputCTSFlow,
  opOutputDSRFlow,
  opDSRSensitivity,
  opTXContinueOnXOff,
  opUseErrorChar,
  opDiscardNullBytes,
  opAbortOnError
};
using TOptions = std::set<TOption>;

enum class TDTRFlowControl { fcDefault, fcDisable, fcEnable, fcHandshake };
enum class TRTSFlowControl { fcDefault, fcDisable, fcEnable, fcHandshake, fcToggle };
enum class TXOnXOffControl { fcDefault, fcNone, fcIn, fcOut, fcInOut };

struct TComFlowControl {
  TDTRFlowControl DTRControl = TDTRFlowControl::fcDefault;
  TRTSFlowControl RTSControl = TRTSFlowControl::fcDefault;
  TXOnXOffControl XOnXOffControl = TXOnXOffControl::fcDefault;
  std::uint16_t XOnLimit = 0;
  std::uint16_t XOffLimit = 0;
  friend bool operator==(const TComFlowControl&, const TComFlowControl&) = default;
};

struct TComCharacters {
  std::uint8_t XOn = 17, XOff = 19, Error = 0, Eof = 0, Event = 0;
  friend bool operator==(const TComCharacters&, const TComCharacters&) = default;
};

struct TComBufferSizes {
  int Input = 4096;  // -1 in either leaves the driver's buffers alone
  int Output = 2048;
  friend bool operator==(const TComBufferSizes&, const TComBufferSizes&) = default;
};

// Milliseconds, with the device's meaning: all zero waits for every
// requested byte; a total limit is Multiplier x count + Constant.
struct TComTimeouts {
  std::uint32_t ReadInterval = 0, ReadMultiplier = 0, ReadConstant = 0;
  std::uint32_t WriteMultiplier = 0, WriteConstant = 0;
  friend bool operator==(const TComTimeouts&, const TComTimeouts&) = default;
};

// Everything that "apply line settings" reads.
struct ComLineSettings {
  TBaudRate BaudRate = TBaudRate::brDefault;
  std::uint32_t CustomBaudRate = 0;
  TDataBits DataBits = TDataBits::dbDefault;
  TParity Parity = TParity::paDefault;
  TStopBits StopBits = TStopBits::sbDefault;
  TOptions Options;
  TComFlowControl FlowControl;
  TComCharacters Characters;
};

// Device codes as the Windows device control block has them.
inline constexpr std::uint8_t kDtrDisable = 0, kDtrEnable = 1, kDtrHandshake = 2;
inline constexpr std::uint8_t kRtsDisable = 0, kRtsEnable = 1, kRtsHandshake = 2, kRtsToggle = 3;

struct DeviceLineState {
  std::uint32_t BaudRate = 0;
  std::uint8_t ByteSize = 8;
  std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
  bool Binary = false;
  bool CheckParity = false, OutxCtsFlow = false, OutxDsrFlow = false, DsrSensitivity = false;
  bool TXContinueOnXoff = false, OutX = false, InX = false, ErrorChar = false, Null = false;
  bool AbortOnError = false;
  std::uint8_t DtrControl = kDtrDisable;
  std::uint8_t RtsControl = kRtsDisable;
  std::uint16_t XonLim = 0, XoffLim = 0;
  std::uint8_t XonChar = 0, XoffChar = 0, ErrorCharValue = 0, EofChar = 0, EvtChar = 0;
  friend bool operator==(const DeviceLineState&, const DeviceLineState&) = default;
};

// Bits per second of a concrete member; 0 for brDefault; `custom` for
// brCustom.
std::uint32_t BaudRateValue(TBaudRate rate, std::uint32_t custom);
std::uint8_t DataBitsValue(TDataBits bits);  // 0 for dbDefault
std::uint8_t ParityCode(TParity parity);     // meaningful unless paDefault
std::uint8_t StopBitsCode(TStopBits bits);   // meaningful unless sbDefault

// Changes `state` as the settings ask: "default" members, and flow controls
// left at default, keep what the device already has; options are switched
// on or off; binary mode is always on.
void ApplyLineSettings(const ComLineSettings& settings, DeviceLineState& state);

}  // namespace vorsant

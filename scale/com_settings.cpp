#include "scale/com_settings.h"

#include <array>

namespace vorsant {

namespace {

// Indexed by TBaudRate; brDefault and brCustom are handled by the caller.
constexpr std::array<std::uint32_t, 28> kBaudValues = {
    0,    50,   75,    110,   134,   150,   300,   600,   1200,  1800,  2000,   2400,   3600,   4800,
    7200, 9600, 10400, 14400, 15625, 19200, 28800, 38400, 56000, 57600, 115200, 128000, 256000, 0};

constexpr std::array<std::uint8_t, 9> kDataBitsValues = {0, 4, 5, 6, 7, 8, 9, 16, 16};

bool Has(const TOptions& options, TOption option) {
  return options.count(option) != 0;
}

}  // namespace

std::uint32_t BaudRateValue(TBaudRate rate, std::uint32_t custom) {
  if (rate == TBaudRate::brCustom) return custom;
  return kBaudValues[static_cast<std::size_t>(rate)];
}

std::uint8_t DataBitsValue(TDataBits bits) {
  return kDataBitsValues[static_cast<std::size_t>(bits)];
}

std::uint8_t ParityCode(TParity parity) {
  return parity == TParity::paDefault ? 0 : static_cast<std::uint8_t>(static_cast<int>(parity) - 1);
}

std::uint8_t StopBitsCode(TStopBits bits) {
  return bits == TStopBits::sbDefault ? 0 : static_cast<std::uint8_t>(static_cast<int>(bits) - 1);
}

void ApplyLineSettings(const ComLineSettings& s, DeviceLineState& state) {
  if (s.BaudRate != TBaudRate::brDefault) state.BaudRate = BaudRateValue(s.BaudRate, s.CustomBaudRate);
  if (s.DataBits != TDataBits::dbDefault) state.ByteSize = DataBitsValue(s.DataBits);
  if (s.Parity != TParity::paDefault) state.Parity = ParityCode(s.Parity);
  if (s.StopBits != TStopBits::sbDefault) state.StopBits = StopBitsCode(s.StopBits);

  state.XonChar = s.Characters.XOn;
  state.XoffChar = s.Characters.XOff;
  state.ErrorCharValue = s.Characters.Error;
  state.EofChar = s.Characters.Eof;
  state.EvtChar = s.Characters.Event;
  state.XonLim = s.FlowControl.XOnLimit;
  state.XoffLim = s.FlowControl.XOffLimit;

  switch (s.FlowControl.DTRControl) {
    case TDTRFlowControl::fcDefault:
      break;
    case TDTRFlowControl::fcDisable:
      state.DtrControl = kDtrDisable;
      break;
    case TDTRFlowControl::fcEnable:
      state.DtrControl = kDtrEnable;
      break;
    case TDTRFlowControl::fcHandshake:
      state.DtrControl = kDtrHandshake;
      break;
  }
  switch (s.FlowControl.RTSControl) {
    case TRTSFlowControl::fcDefault:
      break;
    case TRTSFlowControl::fcDisable:
      state.RtsControl = kRtsDisable;
      break;
    case TRTSFlowControl::fcEnable:
      state.RtsControl = kRtsEnable;
      break;
    case TRTSFlowControl::fcHandshake:
      state.RtsControl = kRtsHandshake;
      break;
    case TRTSFlowControl::fcToggle:
      state.RtsControl = kRtsToggle;
      break;
  }
  const TXOnXOffControl x = s.FlowControl.XOnXOffControl;
  if (x != TXOnXOffControl::fcDefault) {
    state.InX = x == TXOnXOffControl::fcIn || x == TXOnXOffControl::fcInOut;
    state.OutX = x == TXOnXOffControl::fcOut || x == TXOnXOffControl::fcInOut;
  }

  state.CheckParity = Has(s.Options, TOption::opCheckParity);
  state.OutxCtsFlow = Has(s.Options, TOption::opOutputCTSFlow);
  state.OutxDsrFlow = Has(s.Options, TOption::opOutputDSRFlow);
  state.DsrSensitivity = Has(s.Options, TOption::opDSRSensitivity);
  state.TXContinueOnXoff = Has(s.Options, TOption::opTXContinueOnXOff);
  state.ErrorChar = Has(s.Options, TOption::opUseErrorChar);
  state.Null = Has(s.Options, TOption::opDiscardNullBytes);
  state.AbortOnError = Has(s.Options, TOption::opAbortOnError);
  state.Binary = true;
}

}  // namespace vorsant

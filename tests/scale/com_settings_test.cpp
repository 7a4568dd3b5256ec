#include "scale/com_settings.h"

#include <gtest/gtest.h>

#include "scale/com_port.h"
#include "scale/com_port_device.h"

namespace vorsant {
namespace {

// A device state with every field set, as a port might have been left.
DeviceLineState UsedDevice() {
  DeviceLineState s;
  s.BaudRate = 9600;
  s.ByteSize = 8;
  s.Parity = 2;
  s.StopBits = 2;
  s.CheckParity = s.OutxCtsFlow = s.OutxDsrFlow = s.DsrSensitivity = true;
  s.TXContinueOnXoff = s.ErrorChar = s.Null = s.AbortOnError = true;
  s.OutX = s.InX = true;
  s.DtrControl = kDtrHandshake;
  s.RtsControl = kRtsToggle;
  s.XonLim = 100;
  s.XoffLim = 200;
  s.XonChar = 1;
  s.XoffChar = 2;
  return s;
}

TEST(ApplyLineSettings, BalanceLineOnAUsedDevice) {
  ComLineSettings balance;
  balance.BaudRate = TBaudRate::br1200;
  balance.DataBits = TDataBits::db7;
  balance.Parity = TParity::paOdd;
  balance.StopBits = TStopBits::sb1;
  DeviceLineState s = UsedDevice();
  ApplyLineSettings(balance, s);

  EXPECT_EQ(s.BaudRate, 1200u);
  EXPECT_EQ(s.ByteSize, 7);
  EXPECT_EQ(s.Parity, 1);
  EXPECT_EQ(s.StopBits, 0);
  EXPECT_TRUE(s.Binary);
  // No option set: every option flag is switched off.
  EXPECT_FALSE(s.CheckParity || s.OutxCtsFlow || s.OutxDsrFlow || s.DsrSensitivity || s.TXContinueOnXoff ||
               s.ErrorChar || s.Null || s.AbortOnError);
  // Flow controls at default keep what the device had.
  EXPECT_EQ(s.DtrControl, kDtrHandshake);
  EXPECT_EQ(s.RtsControl, kRtsToggle);
  EXPECT_TRUE(s.OutX && s.InX);
  // Characters and limits always come from the settings.
  EXPECT_EQ(s.XonChar, 17);
  EXPECT_EQ(s.XoffChar, 19);
  EXPECT_EQ(s.XonLim, 0);
  EXPECT_EQ(s.XoffLim, 0);
}

TEST(ApplyLineSettings, DefaultMembersKeepTheDeviceLine) {
  DeviceLineState s = UsedDevice();
  ApplyLineSettings(ComLineSettings{}, s);
  EXPECT_EQ(s.BaudRate, 9600u);
  EXPECT_EQ(s.ByteSize, 8);
  EXPECT_EQ(s.Parity, 2);
  EXPECT_EQ(s.StopBits, 2);
}

TEST(ApplyLineSettings, OptionsAndExplicitFlowControlReachTheDevice) {
  ComLineSettings settings;
  settings.Options = {TOption::opCheckParity, TOption::opAbortOnError};
  settings.FlowControl.DTRControl = TDTRFlowControl::fcEnable;
  settings.FlowControl.RTSControl = TRTSFlowControl::fcHandshake;
  settings.FlowControl.XOnXOffControl = TXOnXOffControl::fcOut;
  settings.BaudRate = TBaudRate::brCustom;
  settings.CustomBaudRate = 31250;
  DeviceLineState s;
  ApplyLineSettings(settings, s);
  EXPECT_TRUE(s.CheckParity);
  EXPECT_TRUE(s.AbortOnError);
  EXPECT_FALSE(s.OutxCtsFlow);
  EXPECT_EQ(s.DtrControl, kDtrEnable);
  EXPECT_EQ(s.RtsControl, kRtsHandshake);
  EXPECT_TRUE(s.OutX);
  EXPECT_FALSE(s.InX);
  EXPECT_EQ(s.BaudRate, 31250u);
}

TEST(LineSettingValues, EnumerationsMapToTheirDeviceValues) {
  EXPECT_EQ(BaudRateValue(TBaudRate::br134_5, 0), 134u);
  EXPECT_EQ(BaudRateValue(TBaudRate::br256000, 0), 256000u);
  EXPECT_EQ(BaudRateValue(TBaudRate::br15625, 0), 15625u);
  EXPECT_EQ(DataBitsValue(TDataBits::db4), 4);
  EXPECT_EQ(DataBitsValue(TDataBits::db16x), 16);
  EXPECT_EQ(ParityCode(TParity::paNone), 0);
  EXPECT_EQ(ParityCode(TParity::paSpace), 4);
  EXPECT_EQ(StopBitsCode(TStopBits::sb1_5), 1);
  EXPECT_EQ(StopBitsCode(TStopBits::sb2), 2);
}

TEST(RefusedLineSetup, OnlyAPseudoTerminalKeepsItsFramingOrLacksModemLines) {
  for (LineSetupRefusal why :
       {LineSetupRefusal::InvalidSetting, LineSetupRefusal::NotSupported, LineSetupRefusal::Other}) {
    EXPECT_EQ(OnRefusedLineSetup(why, false, true), RefusalAction::Raise);
  }
  EXPECT_EQ(OnRefusedLineSetup(LineSetupRefusal::InvalidSetting, true, true),
            RefusalAction::KeepDeviceFraming);
  EXPECT_EQ(OnRefusedLineSetup(LineSetupRefusal::InvalidSetting, true, false), RefusalAction::Raise);
  EXPECT_EQ(OnRefusedLineSetup(LineSetupRefusal::NotSupported, true, false), RefusalAction::Accept);
  EXPECT_EQ(OnRefusedLineSetup(LineSetupRefusal::Other, true, true), RefusalAction::Raise);

  EXPECT_TRUE(IsPseudoTerminalPath("/dev/pts/7"));
  EXPECT_FALSE(IsPseudoTerminalPath("/dev/ttyUSB0"));
  EXPECT_FALSE(IsPseudoTerminalPath("/tmp/link/dev/pts/7"));
}

TEST(DeviceTimeouts, WritesAreBoundedEvenWithoutAWriteLimit) {
  const TComTimeouts own = DeviceTimeouts(TComTimeouts{});
  EXPECT_EQ(WriteLimit(own, 1), std::chrono::milliseconds(1250));
  EXPECT_EQ(WriteLimit(own, 3), std::chrono::milliseconds(1750));
  TComTimeouts set;
  set.ReadConstant = 100;
  set.WriteConstant = 40;
  EXPECT_EQ(DeviceTimeouts(set), set);
}

TEST(TComPort, DefaultsAndRefusalsOfAClosedPort) {
  TComPort port;
  EXPECT_EQ(port.DeviceName(), "COM1");
  EXPECT_EQ(port.BaudRate(), TBaudRate::brDefault);
  EXPECT_EQ(port.BufferSizes().Input, 4096);
  EXPECT_EQ(port.BufferSizes().Output, 2048);
  EXPECT_EQ(port.Characters().XOn, 17);
  EXPECT_EQ(port.Timeouts(), TComTimeouts{});
  EXPECT_FALSE(port.Active());
  // Closing a closed port does nothing.
  port.SetActive(false);
  EXPECT_FALSE(port.Active());
  try {
    port.WriteAnsiChar('x');
    FAIL() << "write on a closed port";
  } catch (const EComError& e) {
    EXPECT_STREQ(e.what(), "Can't perform this operation on a closed port");
    EXPECT_EQ(e.ErrorCode(), 0);
  }
  char buffer[4];
  EXPECT_THROW(port.Read(buffer, 4, true), EComError);
  // Settings of a closed port are stored for the next open.
  port.SetParity(TParity::paEven);
  EXPECT_EQ(port.Parity(), TParity::paEven);
}

TEST(TComPort, MissingDeviceRaisesTheSystemErrorAndStaysClosed) {
  TComPort port;
  port.SetDeviceName("COM0");  // no such device anywhere
  try {
    port.SetActive(true);
    FAIL() << "opened a missing device";
  } catch (const EComError& e) {
    EXPECT_NE(e.ErrorCode(), 0);
    EXPECT_STRNE(e.what(), "");
  }
  EXPECT_FALSE(port.Active());
}

}  // namespace
}  // namespace vorsant

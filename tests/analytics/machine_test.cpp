#include <gtest/gtest.h>

#include <string>

#include "analytics/machine_data.h"
#include "analytics/machine_id.h"
#include "analytics/os_version.h"
#include "analytics/sha1.h"

namespace plumeta {
namespace {

std::string Hex(const Sha1::Digest& d) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (auto b : d) out += {kHex[b >> 4], kHex[b & 0xF]};
  return out;
}

TEST(Sha1, Fips180Vectors) {
  EXPECT_EQ(Hex(Sha1::Of("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(Hex(Sha1::Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  Sha1 million;
  std::string chunk(1000, 'a');
  for (int i = 0; i < 1000; ++i) million.Update(chunk);
  EXPECT_EQ(Hex(million.Finish()), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
  EXPECT_EQ(Hex(Sha1::Of("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

TEST(Sha1, PaddingAtTheBlockEdges) {
  // 55, 56 and 64 bytes put the length in the same block, force a second
  // block, and start a fresh one.
  EXPECT_EQ(Hex(Sha1::Of(std::string(55, 'a'))), "c1c8bbdc22796e28c0e15163d20899b65621d65a");
  EXPECT_EQ(Hex(Sha1::Of(std::string(56, 'a'))), "c2db330f6083854c99d4b5bfb6e8f29f201be699");
  EXPECT_EQ(Hex(Sha1::Of(std::string(64, 'a'))), "0098ba824b5c16427bd7a1122a5a442a25ec644d");
}

class FakeProbe final : public MachineIdProbe {
 public:
  std::optional<std::vector<std::vector<std::uint8_t>>> adapters;
  std::optional<std::uint32_t> serial;
  std::optional<std::vector<std::vector<std::uint8_t>>> AdapterAddresses() override { return adapters; }
  std::optional<std::uint32_t> WindowsVolumeSerial() override { return serial; }
};

TEST(MachineId, FirstAdapterWithAnAddressAndTheVolumeSerial) {
  FakeProbe probe;
  probe.adapters = {{}, {0x00, 0x15, 0x5D, 0x01, 0x02, 0x0A}, {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};
  probe.serial = 0x1234ABCDu;
  EXPECT_EQ(MachineIdSource(probe), "00155D01020A1234ABCD");
  EXPECT_EQ(MachineId(probe), u"31EA670267C21FDA7C3BF1B754297241BC5E46BE");
}

TEST(MachineId, FallbacksForNoAdapterAddressAndNoVolumeSerial) {
  FakeProbe probe;  // the adapter list cannot be read, nor the serial
  EXPECT_EQ(MachineId(probe), u"9734A7BA4898D7B8CF6B6A8AB4772192B8086162");
  probe.adapters = std::vector<std::vector<std::uint8_t>>{{}, {}};
  EXPECT_EQ(MachineId(probe), u"9734A7BA4898D7B8CF6B6A8AB4772192B8086162");
  probe.serial = 0x1234ABCDu;
  EXPECT_EQ(MachineId(probe), u"5F98288E0EADCFA22CCA8B332C53BE1BEA5D0CD8");
  probe.adapters = {{0x00, 0x15, 0x5D, 0x01, 0x02, 0x0A}};
  probe.serial.reset();
  EXPECT_EQ(MachineId(probe), u"1AE8A77953E196B5650B03B569F32B0123A7EC3C");
}

TEST(OsVersion, FromInstallerProperties) {
  OsVersionInfo v = OsVersionFromProperties(u"601", u"7601");
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 1u);
  EXPECT_EQ(v.build, 7601u);
  EXPECT_TRUE(v.servicePack.empty());
  v = OsVersionFromProperties(u"502", u"3790x");
  EXPECT_EQ(v.major, 5u);
  EXPECT_EQ(v.minor, 2u);
  EXPECT_EQ(v.build, 3790u);
  v = OsVersionFromProperties(u"1000", u"");
  EXPECT_EQ(v.major, 1u);
  EXPECT_EQ(v.minor, 0u);
  EXPECT_EQ(v.build, 0u);
  v = OsVersionFromProperties(u"6", u"abc");
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 0u);
}

TEST(OsVersion, UserAgentLeavesABlankForTheEmptyServicePack) {
  EXPECT_EQ(FormatUserAgent(OsVersionFromProperties(u"601", u"7601"), true),
            u"OrvexAnalytics/1.0 (Microsoft Windows NT 6.1.7601 ; x64)");
  OsVersionInfo sp{5, 1, 2600, u"Service Pack 3"};
  EXPECT_EQ(FormatUserAgent(sp, false),
            u"OrvexAnalytics/1.0 (Microsoft Windows NT 5.1.2600 Service Pack 3; x86)");
}

class FakeInstaller final : public PropertySource {
 public:
  std::vector<std::pair<std::u16string, std::u16string>> values;
  std::u16string Property(std::u16string_view name) override {
    for (auto& [k, v] : values) {
      if (k == name) return v;
    }
    return {};
  }
};

class FakeDisplay final : public DisplayProbe {
 public:
  std::optional<ScreenSize> screen;
  std::u16string language, country;
  std::uint32_t dpi = 96;
  std::optional<ScreenSize> ScreenResolution() override { return screen; }
  std::u16string LanguageName() override { return language; }
  std::u16string CountryName() override { return country; }
  std::uint32_t DpiY() override { return dpi; }
};

std::vector<std::u16string> Labels(const std::vector<Param>& params) {
  std::vector<std::u16string> out;
  for (const Param& p : params) out.push_back(p.name);
  return out;
}

TEST(MachineData, MachinePropertiesInOrderThenTheDisplayFactsAlways) {
  FakeInstaller installer;
  installer.values = {
      {u"ProductLanguage", u"1033"}, {u"VersionNT", u"601"}, {u"VersionMsi", u""}, {u"UILevel", u"5"}};
  FakeDisplay display;
  display.screen = ScreenSize{1920, 1080};
  display.language = u"en";
  display.country = u"US";
  std::vector<Param> params = MachineInfoProperties(installer, display);
  EXPECT_EQ(Labels(params), (std::vector<std::u16string>{u"VersionNT", u"UILevel", u"ProductLanguage",
                                                         u"ScreenResolution", u"UserLanguage", u"DpiScale"}));
  EXPECT_EQ(params[3].value, u"1920x1080");
  EXPECT_EQ(params[4].value, u"en-US");
  EXPECT_EQ(params[5].value, u"96");
}

TEST(MachineData, UnreadableDisplayFactsStillGoOut) {
  FakeInstaller installer;
  FakeDisplay display;
  display.language = u"de";
  display.dpi = 144;
  std::vector<Param> params = MachineInfoProperties(installer, display);
  ASSERT_EQ(params.size(), 3u);
  EXPECT_EQ(params[0].value, u"0x0");
  EXPECT_EQ(params[1].value, u"de-");
  EXPECT_EQ(params[2].value, u"144");
}

TEST(MachineData, PrerequisitesOnlyForAFirstInstallation) {
  FakeInstaller installer;
  installer.values = {{u"OX_FOUND_PREREQS", u"VC"},
                      {u"ADDLOCAL", u"Main"},
                      {u"INSTALLLEVEL", u"1"},
                      {u"OX_MISSING_PREREQS", u"NET"}};
  EXPECT_EQ(Labels(InstallDataProperties(installer, u"install")),
            (std::vector<std::u16string>{u"INSTALLLEVEL", u"ADDLOCAL", u"OX_MISSING_PREREQS",
                                         u"OX_FOUND_PREREQS"}));
  EXPECT_EQ(Labels(InstallDataProperties(installer, u"upgrade")),
            (std::vector<std::u16string>{u"INSTALLLEVEL", u"ADDLOCAL"}));
  EXPECT_EQ(Labels(InstallDataProperties(installer, u"Install")).size(), 2u) << "the mode must match exactly";
}

}  // namespace
}  // namespace plumeta

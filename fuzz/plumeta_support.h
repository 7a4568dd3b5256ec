#pragma once
// What the analytics targets share: the system file system working in a
// scratch temporary folder of the fuzzing process, a clock that stands still,
// predictable GUIDs, a sender that accepts every post, and a first
// installation of Vorsant 6.1.0 with sending on.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "analytics/file_system.h"
#include "analytics/install_analytics.h"
#include "analytics/http_form_client.h"
#include "analytics/profile_reader.h"
#include "analytics/system_services.h"

namespace plumeta::fuzz {

// Points TMPDIR at a fresh folder, removed when the process exits; call
// once before the first input.
void UseScratchTempFolder();

class StillClock final : public Clock {
 public:
  std::uint32_t TickCount() override { return 1000000; }
};

class CountingGuids final : public GuidSource {
 public:
  Guid NewGuid() override {
    Guid g;
    g.data1 = ++next_;
    return g;
  }

 private:
  std::uint32_t next_ = 0;
};

// Answers 200 to every post and counts them.
class AcceptingSender final : public FormSender {
 public:
  explicit AcceptingSender(int& posts) : posts_(posts) {}
  FormResponse Send(const FormRequest&) override {
    ++posts_;
    return {200, u""};
  }

 private:
  int& posts_;
};

// The files, the profile reader over them and the services the store needs.
struct Storage {
  std::unique_ptr<FileSystem> files = MakeSystemFileSystem();
  std::unique_ptr<ProfileReader> profiles = MakeSystemProfileReader(*files);
  StillClock clock;
  CountingGuids guids;
};

class Installation final : public Installer {
 public:
  std::u16string Property(std::u16string_view name) override {
    const auto it = properties_.find(std::u16string(name));
    return it == properties_.end() ? u"" : it->second;
  }
  bool EvaluateCondition(std::u16string_view condition) override { return condition == u"NOT Installed"; }
  void LogInfo(std::u16string_view) override {}

 private:
  std::map<std::u16string, std::u16string> properties_ = {
      {u"ProductName", u"Vorsant"}, {u"ProductVersion", u"6.1.0"}, {u"OX_TR_APPLICATION_ID", u"APP-7"},
      {u"OX_TR_ENABLE", u"1"},      {u"VersionNT", u"601"},        {u"WindowsBuild", u"7601"}};
};

// A message record: the formatted text and fields 1 to 3, separated by 0x01
// in `bytes`, as UTF-8.
class Record final : public InstallerRecord {
 public:
  explicit Record(std::string_view bytes);
  std::u16string Field(unsigned index) override { return index >= 1 && index <= 3 ? parts_[index] : u""; }
  std::u16string FormattedText() override { return parts_[0]; }

 private:
  std::u16string parts_[4];
};

class FixedScreen final : public DisplayProbe {
 public:
  std::optional<ScreenSize> ScreenResolution() override { return ScreenSize{1920, 1080}; }
  std::u16string LanguageName() override { return u"en"; }
  std::u16string CountryName() override { return u"US"; }
  std::uint32_t DpiY() override { return 96; }
};

class FixedMachineId final : public MachineIdProbe {
 public:
  std::optional<std::vector<std::vector<std::uint8_t>>> AdapterAddresses() override {
    return std::vector<std::vector<std::uint8_t>>{{0x00, 0x15, 0x5D, 0x01, 0x02, 0x0A}};
  }
  std::optional<std::uint32_t> WindowsVolumeSerial() override { return 0x1234ABCDu; }
};

// The machine the installation runs on; it must outlive the platforms made.
struct Machine {
  FixedScreen screen;
  FixedMachineId id;
  Platform MakePlatform(Storage& storage, int& posts);
};

}  // namespace plumeta::fuzz

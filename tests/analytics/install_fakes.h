#pragma once
// A scripted installer, record and machine for the custom-action tests, and
// a fixture that runs InstallAnalytics over them with a recording sender.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "analytics/install_analytics.h"
#include "analytics/profile_reader.h"
#include "test_support.h"

namespace plumeta::testing {

class FakeInstaller final : public Installer {
 public:
  std::map<std::u16string, std::u16string> properties;
  // Conditions that evaluate as true, by their exact text.
  std::set<std::u16string> trueConditions;
  std::vector<std::u16string> asked;
  std::vector<std::u16string> logged;
  bool logFails = false;

  std::u16string Property(std::u16string_view name) override {
    auto it = properties.find(std::u16string(name));
    return it == properties.end() ? u"" : it->second;
  }
  bool EvaluateCondition(std::u16string_view condition) override {
    asked.emplace_back(condition);
    return trueConditions.count(std::u16string(condition)) != 0;
  }
  void LogInfo(std::u16string_view line) override {
    if (logFails) throw std::runtime_error("no log");
    logged.emplace_back(line);
  }
};

class FakeRecord final : public InstallerRecord {
 public:
  FakeRecord(std::u16string text, std::map<unsigned, std::u16string> fields)
      : text_(std::move(text)), fields_(std::move(fields)) {}
  std::u16string Field(unsigned index) override {
    auto it = fields_.find(index);
    return it == fields_.end() ? u"" : it->second;
  }
  std::u16string FormattedText() override { return text_; }

 private:
  std::u16string text_;
  std::map<unsigned, std::u16string> fields_;
};

class FakeDisplay final : public DisplayProbe {
 public:
  std::optional<ScreenSize> screen = ScreenSize{1920, 1080};
  std::u16string language = u"en";
  std::u16string country = u"US";
  std::uint32_t dpi = 96;
  std::optional<ScreenSize> ScreenResolution() override { return screen; }
  std::u16string LanguageName() override { return language; }
  std::u16string CountryName() override { return country; }
  std::uint32_t DpiY() override { return dpi; }
};

class FakeMachine final : public MachineIdProbe {
 public:
  std::optional<std::vector<std::vector<std::uint8_t>>> AdapterAddresses() override {
    return std::vector<std::vector<std::uint8_t>>{{0x00, 0x15, 0x5D, 0x01, 0x02, 0x0A}};
  }
  std::optional<std::uint32_t> WindowsVolumeSerial() override { return 0x1234ABCDu; }
};

// A sender that hands each request to a function, which may throw.
class ScriptedSender final : public FormSender {
 public:
  explicit ScriptedSender(std::function<FormResponse(const FormRequest&)> handle)
      : handle_(std::move(handle)) {}
  FormResponse Send(const FormRequest& request) override { return handle_(request); }

 private:
  std::function<FormResponse(const FormRequest&)> handle_;
};

using Fields = std::vector<std::pair<std::string, std::string>>;

// The (key, value) pairs of a request's body.
Fields ParseBody(const FormRequest& request);
// The value of a key, or "<none>" when the body does not carry it.
std::string FieldOf(const Fields& fields, const std::string& key);

class InstallTest : public ::testing::Test {
 protected:
  InstallTest();

  // A first installation of Vorsant 6.1.0 with sending on.
  void StandardProperties();
  // Every request's body, parsed.
  std::vector<Fields> Hits() const;
  std::vector<std::string> Values(const std::string& key) const;
  // The names of the session files left in the storage folder.
  std::vector<std::u16string> SessionFilesLeft();
  std::u16string Folder();

  ScratchFolder scratch_;
  RootedFiles files_;
  std::unique_ptr<ProfileReader> reader_;
  FakeClock clock_;
  CountingGuids guids_;
  FakeMachine machine_;
  FakeDisplay display_;
  FakeInstaller installer_;
  std::vector<FormRequest> requests_;
  std::vector<std::u16string> userAgents_;
  // Decides what each send does; records and answers 200 unless replaced.
  std::function<FormResponse(const FormRequest&)> onSend_;
  InstallAnalytics analytics_;
};

}  // namespace plumeta::testing

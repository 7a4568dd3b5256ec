#pragma once
// A frame with a scripted user in front of it and a scratch folder for its
// files.

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/environment_file.h"
#include "app/main_form.h"
#include "scripted_ui.h"

namespace vorsant::testing {

class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir_ = std::filesystem::temp_directory_path() / ("vorsant_app_" + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
    TEnvironmentRec env;
    env.ScalePort = 2;
    WriteBytes(Path("vorsant.dat"), EncodeEnvironmentRec(env));
    form = std::make_unique<TMainForm>(ui, Path("vorsant.dat"));
  }
  void TearDown() override {
    form.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  template <typename Bytes>
  static void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // A trial file of `size` bytes, filled with a recognisable record.
  std::string TrialFile(const std::string& name, std::size_t size = kWineRecSize) {
    TWineRec rec{};
    rec.Conditions.WineName.Set("Stored");
    rec.RmP.Set("  12.5");
    auto image = EncodeWineRec(rec);
    std::vector<std::uint8_t> bytes(image.begin(), image.end());
    bytes.resize(size, 0xAB);
    WriteBytes(Path(name), bytes);
    return Path(name);
  }

  TMDIChild& NewTrial(const std::string& wine = "Chardonnay", const std::string& filter = "Pad") {
    ui.ConditionsAnswers.push_back(GoodConditions(wine, filter));
    form->FileNewExecute();
    return *form->Windows().back();
  }

  // Open, choosing `path` in the open dialog; the outcome is up to the test.
  void ChooseToOpen(const std::string& path) {
    ui.FileChoices.push_back(path);
    form->FileOpenExecute();
  }

  // Open of a file that must open.
  TMDIChild& OpenTrial(const std::string& path) {
    std::size_t before = form->Windows().size();
    ChooseToOpen(path);
    if (form->Windows().size() != before + 1) throw std::runtime_error("no trial window opened for " + path);
    return *form->Windows().back();
  }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : ui.Messages) texts.push_back(m.Text);
    return texts;
  }

  ScriptedUi ui;
  std::unique_ptr<TMainForm> form;

 private:
  std::filesystem::path dir_;
};

}  // namespace vorsant::testing

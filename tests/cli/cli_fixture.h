#pragma once
// Runs vorsant-cli commands in-process, each test in a scratch folder of its
// own, and keeps what they printed.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/command.h"

namespace vorsant::cli::test_support {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

class CliFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vorsant-cli-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::string Read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  Outcome Run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    CommandIo io{out, err};
    const int code = RunCli(args, io);
    return {code, out.str(), err.str()};
  }

  std::filesystem::path dir_;
};

}  // namespace vorsant::cli::test_support

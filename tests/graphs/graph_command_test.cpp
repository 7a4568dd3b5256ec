// The graph command of vorsant-cli, run in-process on trial files written
// by the trial file code.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/command.h"
#include "graphs/scale_graphs.h"
#include "graphs/svg_canvas.h"
#include "graphs/trial_graph.h"
#include "tests/graphs/trial_builder.h"
#include "trial/trial_file.h"

namespace vorsant {
namespace {

class GraphCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("graph_command_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_);
    rec_ = testing::TrialBuilder()
               .Names("Syrah", "Pad 7")
               .Points({{0.25, 12}, {0.5, 12.5}, {0.75, 13}, {1.0, 14}, {1.23, 15}})
               .Power(11.5, 1.5, 2.0e9)
               .MaxProdR("  60.0")
               .Build();
    ASSERT_EQ(SaveTrialFile(Path("trial.vrs"), rec_), 0);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  int Run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    cli::CommandIo io{out_, err_};
    return cli::RunCli(args, io);
  }

  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::filesystem::path dir_;
  TWineRec rec_{};
  std::ostringstream out_, err_;
};

TEST_F(GraphCommandTest, WritesEachKindAtItsWindowsPixelSize) {
  SvgCanvas trial(kTrialGraphWidth, kTrialGraphHeight);
  DrawGraph(trial, rec_);
  SvgCanvas lab(kScaleGraphWidth, kScaleGraphHeight);
  DrawLabGraph(lab, rec_);
  SvgCanvas prod(kScaleGraphWidth, kScaleGraphHeight);
  DrawProdGraph(prod, rec_);

  ASSERT_EQ(Run({"graph", Path("trial.vrs"), "--kind", "trial", "-o", Path("t.svg")}), 0) << err_.str();
  EXPECT_EQ(ReadAll(Path("t.svg")), trial.Document());
  ASSERT_EQ(Run({"graph", Path("trial.vrs"), "--kind", "lab", "-o", Path("l.svg")}), 0) << err_.str();
  EXPECT_EQ(ReadAll(Path("l.svg")), lab.Document());
  ASSERT_EQ(Run({"graph", Path("trial.vrs"), "--kind=production", "-o", Path("p.svg")}), 0) << err_.str();
  EXPECT_EQ(ReadAll(Path("p.svg")), prod.Document());
  EXPECT_NE(lab.Document(), prod.Document());
}

TEST_F(GraphCommandTest, MisuseIsAUsageErrorAndWritesNothing) {
  EXPECT_EQ(Run({"graph", Path("trial.vrs"), "--kind", "pie", "-o", Path("x.svg")}), cli::kExitUsage);
  EXPECT_NE(err_.str().find("trial, lab, production or models"), std::string::npos);
  EXPECT_EQ(Run({"graph", Path("trial.vrs"), "-o", Path("x.svg")}), cli::kExitUsage);
  EXPECT_EQ(Run({"graph", Path("trial.vrs"), "--kind", "lab"}), cli::kExitUsage);
  EXPECT_FALSE(std::filesystem::exists(Path("x.svg")));
}

TEST_F(GraphCommandTest, ShortTrialFileGivesTheProgramsMessage) {
  std::ofstream(Path("short.vrs"), std::ios::binary) << std::string(100, '\0');
  EXPECT_EQ(Run({"graph", Path("short.vrs"), "--kind", "trial", "-o", Path("x.svg")}), cli::kExitFailure);
  EXPECT_EQ(err_.str(), "Error reading the data file.\n");
  EXPECT_FALSE(std::filesystem::exists(Path("x.svg")));
}

TEST_F(GraphCommandTest, UnwritableOutputFails) {
  EXPECT_EQ(Run({"graph", Path("trial.vrs"), "--kind", "trial", "-o", Path("missing/dir/x.svg")}),
            cli::kExitFailure);
  EXPECT_NE(err_.str().find("occurred while writing"), std::string::npos);
}

}  // namespace
}  // namespace vorsant

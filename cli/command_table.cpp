// The commands of vorsant-cli. A new command is one file with its function
// and one line in this table.

#include "cli/command.h"

#include <array>

namespace vorsant::cli {

int RunReport(CommandArgs args, CommandIo& io);
int RunAnalyse(CommandArgs args, CommandIo& io);
int RunNew(CommandArgs args, CommandIo& io);
int RunData(CommandArgs args, CommandIo& io);
int RunGraph(CommandArgs args, CommandIo& io);
int RunModels(CommandArgs args, CommandIo& io);
int RunScale(CommandArgs args, CommandIo& io);
int RunCollect(CommandArgs args, CommandIo& io);
int RunCompare(CommandArgs args, CommandIo& io);

namespace {

constexpr std::array kCommands = {
    Command{"report", "FILE.vrs [--json | --html -o OUT.html [--units us|metric]]", RunReport},
    Command{"analyse", "FILE.vrs -o OUT.vrs", RunAnalyse},
    Command{"new",
            "-o OUT.vrs --wine NAME --filter NAME [--type normal|dessert] --lab-pressure P --diameter D "
            "--max-pressure P --area A --rate R [--units bpm|gpm]",
            RunNew},
    Command{"data", "FILE.vrs --csv POINTS.csv [--skip K] [-o OUT.vrs]", RunData},
    Command{"graph", "FILE.vrs --kind trial|lab|production|models -o OUT.svg", RunGraph},
    Command{"models",
            "FILE.vrs [--readings FILE] [--volume V] [--safety S] [--element-area M2] [--units us|metric] "
            "[--json]",
            RunModels},
    Command{"scale", "ports | detect [--port DEVICE] | read|tare --port DEVICE [--profile NAME]", RunScale},
    Command{"collect",
            "FILE.vrs --port DEVICE --density D --duration 9|18|36|72|144 [-o OUT.vrs] [--profile NAME]\n"
            "      writes OUT.vrs (else replaces FILE.vrs) only when at least one point was collected,\n"
            "      and every reading to OUT.readings.csv as it comes;\n"
            "      exits 1 when the run ends by an error or before its first point",
            RunCollect},
    Command{"compare", "A.vrs B.vrs [...] [--volume V] [--safety S] [--units us|metric] [-o OUT.svg] [--json]",
            RunCompare},
};

}  // namespace

std::span<const Command> Commands() {
  return kCommands;
}

}  // namespace vorsant::cli

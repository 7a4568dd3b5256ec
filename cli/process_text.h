#pragma once
// The process's text environment: arguments as UTF-8 and a console that
// shows the UTF-8 the commands print.

#include <string>
#include <vector>

namespace vorsant::cli {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes the console, if any, show UTF-8 output.
void PrepareConsole();

}  // namespace vorsant::cli

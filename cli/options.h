#pragma once
// Splits a command's arguments into positional ones, options with a value
// ("--rate 40" or "--rate=40") and flags. Anything not declared is a usage
// error, as is an option given twice or without its value.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"

namespace vorsant::cli {

class Options {
 public:
  Options(CommandArgs args, std::set<std::string, std::less<>> valueOptions,
          std::set<std::string, std::less<>> flags = {});

  const std::vector<std::string>& Positional() const { return positional_; }
  std::optional<std::string> Value(std::string_view option) const;
  bool Flag(std::string_view flag) const { return flagsGiven_.contains(flag); }

  // The value of an option that must be there.
  std::string Required(std::string_view option) const;
  // Exactly `count` positional arguments, else a usage error naming them.
  void ExpectPositional(std::size_t count, std::string_view what) const;

 private:
  std::vector<std::string> positional_;
  std::map<std::string, std::string, std::less<>> values_;
  std::set<std::string, std::less<>> flagsGiven_;
};

}  // namespace vorsant::cli

#include "cli/options.h"

namespace vorsant::cli {

Options::Options(CommandArgs args, std::set<std::string, std::less<>> valueOptions,
                 std::set<std::string, std::less<>> flags) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      positional_.push_back(arg);
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const auto eq = arg.find('='); eq != std::string::npos && arg.starts_with("--")) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    if (flags.contains(name) && !inlineValue) {
      flagsGiven_.insert(name);
      continue;
    }
    if (!valueOptions.contains(name)) throw UsageError("unknown option " + name);
    if (values_.contains(name)) throw UsageError("option " + name + " given twice");
    if (inlineValue) {
      values_[name] = *inlineValue;
    } else if (i + 1 < args.size()) {
      values_[name] = args[++i];
    } else {
      throw UsageError("option " + name + " needs a value");
    }
  }
}

std::optional<std::string> Options::Value(std::string_view option) const {
  const auto it = values_.find(option);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string Options::Required(std::string_view option) const {
  const auto v = Value(option);
  if (!v) throw UsageError(std::string("missing ") + std::string(option));
  return *v;
}

void Options::ExpectPositional(std::size_t count, std::string_view what) const {
  if (positional_.size() != count) throw UsageError(std::string("expected ") + std::string(what));
}

}  // namespace vorsant::cli

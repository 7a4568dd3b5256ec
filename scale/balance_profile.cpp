#include "scale/balance_profile.h"

#include <cctype>
#include <optional>

#include "scale/balance_protocol.h"
#include "trial/number_text.h"

namespace vorsant {

namespace {

std::string_view TrimLine(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

std::vector<std::string_view> Fields(std::string_view s) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < s.size() && s[i] != ' ') ++i;
    if (i > start) fields.push_back(s.substr(start, i - start));
  }
  return fields;
}

BalanceReading Unreadable(std::string_view line) {
  BalanceReading r;
  r.Detail = std::string(TrimLine(line).substr(0, 40));
  return r;
}

// A weight and its unit, converted to grams.
BalanceReading Weight(ReadingState state, std::string_view number, std::string_view unit, std::string_view line) {
  const std::optional<double> value = ParseDecimal(number);
  if (!value || unit.empty()) return Unreadable(line);
  BalanceReading r;
  r.Unit = std::string(unit);
  const double perUnit = GramsPerUnit(unit);
  if (perUnit == 0) {
    r.State = ReadingState::WrongUnit;
    return r;
  }
  r.State = state;
  r.Grams = *value * perUnit;
  return r;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

const char* ParityText(TParity parity) {
  switch (parity) {
    case TParity::paOdd: return "odd parity";
    case TParity::paEven: return "even parity";
    case TParity::paMark: return "mark parity";
    case TParity::paSpace: return "space parity";
    default: return "no parity";
  }
}

}  // namespace

double GramsPerUnit(std::string_view unit) {
  if (EqualsNoCase(unit, "g")) return 1;
  if (EqualsNoCase(unit, "kg")) return 1000;
  if (EqualsNoCase(unit, "mg")) return 0.001;
  return 0;
}

BalanceReading ParseDefaultReply(std::string_view line) {
  const TWeightReading parsed = ParseWeightReply(line);
  if (parsed.Error) return Unreadable(line);
  BalanceReading r;
  r.State = ReadingState::Stable;
  r.Grams = parsed.WeightVal;
  r.Unit = "g";
  return r;
}

BalanceReading ParseStandardReply(std::string_view line) {
  const std::vector<std::string_view> f = Fields(TrimLine(line));
  if (f.empty()) return Unreadable(line);
  if (f[0] == "ES" || f[0] == "ET" || f[0] == "EL") {
    BalanceReading r;
    r.State = ReadingState::Error;
    r.Detail = std::string(f[0]);
    return r;
  }
  if (f.size() < 2) return Unreadable(line);
  const std::string_view status = f[1];
  BalanceReading r;
  if (status == "I") {
    r.State = ReadingState::Busy;
  } else if (status == "+") {
    r.State = ReadingState::Overload;
  } else if (status == "-") {
    r.State = ReadingState::Underload;
  } else if ((status == "S" || status == "D") && f.size() >= 4) {
    // A sign written apart from its digits ("S S - 1.2 g") joins them.
    std::string number(f[2]);
    std::size_t unitAt = 3;
    if ((number == "-" || number == "+") && f.size() >= 5) {
      number += f[3];
      unitAt = 4;
    }
    return Weight(status == "S" ? ReadingState::Stable : ReadingState::Unstable, number, f[unitAt], line);
  } else {
    return Unreadable(line);
  }
  return r;
}

BalanceReading ParseTwoLetterReply(std::string_view line) {
  const std::string_view s = TrimLine(line);
  if (s.size() < 3 || s[2] != ',') return Unreadable(line);
  const std::string_view header = s.substr(0, 2);
  const std::string_view rest = TrimLine(s.substr(3));
  BalanceReading r;
  if (header == "OL") {
    r.State = !rest.empty() && rest.front() == '-' ? ReadingState::Underload : ReadingState::Overload;
    return r;
  }
  if (header == "EC") {
    r.State = ReadingState::Error;
    r.Detail = std::string(rest.substr(0, 8));
    return r;
  }
  if (header != "ST" && header != "US") return Unreadable(line);
  std::size_t end = 0;
  while (end < rest.size() && (std::isdigit(static_cast<unsigned char>(rest[end])) || rest[end] == '+' ||
                               rest[end] == '-' || rest[end] == '.' || rest[end] == ' ')) {
    ++end;
  }
  return Weight(header == "ST" ? ReadingState::Stable : ReadingState::Unstable, TrimLine(rest.substr(0, end)),
                TrimLine(rest.substr(end)), line);
}

BalanceReading ParseContinuousLine(std::string_view line) {
  const std::string_view s = TrimLine(line);
  if (s.size() >= 3 && s[2] == ',') return ParseTwoLetterReply(s);
  return ParseStandardReply(s);
}

std::string ReadingProblem(const BalanceReading& reading) {
  switch (reading.State) {
    case ReadingState::Stable:
    case ReadingState::Unstable:
      return {};
    case ReadingState::Busy:
      return "the balance is busy and gave no weight";
    case ReadingState::Overload:
      return "the balance is overloaded: the weight is above its range";
    case ReadingState::Underload:
      return "the balance reads below its range: is the pan in place?";
    case ReadingState::WrongUnit:
      return "the balance reports its weight in " + reading.Unit + "; set it to grams";
    case ReadingState::Error:
      return "the balance reports an error (" + reading.Detail + ")";
    case ReadingState::Unreadable:
      break;
  }
  return "the balance's reply could not be read";
}

std::string LineSettingsText(const BalanceLineSettings& line) {
  const int stop = line.StopBits == TStopBits::sb2 ? 2 : 1;
  std::string text = std::to_string(BaudRateValue(line.BaudRate, 0)) + " baud, " +
                     std::to_string(DataBitsValue(line.DataBits)) + " data bits, " + ParityText(line.Parity) +
                     ", " + (line.StopBits == TStopBits::sb1_5 ? std::string("1.5 stop bits")
                                                               : std::to_string(stop) + (stop == 1 ? " stop bit" : " stop bits"));
  if (line.Flow == Handshake::RtsCts) text += ", RTS/CTS handshake";
  if (line.Flow == Handshake::XonXoff) text += ", XON/XOFF handshake";
  return text;
}

const std::vector<BalanceProfile>& BalanceProfiles() {
  static const std::vector<BalanceProfile> profiles = {
      {"default", "the original ESC P commands",
       {TBaudRate::br1200, TDataBits::db7, TParity::paOdd, TStopBits::sb1, Handshake::AsPort},
       std::string_view(kTareCommand.data(), kTareCommand.size()),
       std::string_view(kWeightRequest.data(), kWeightRequest.size()),
       std::string_view(kWeightRequest.data(), kWeightRequest.size()), kReplyEnd, ParseDefaultReply},
      {"continuous", "continuous output",
       {TBaudRate::br9600, TDataBits::db8, TParity::paNone, TStopBits::sb1, Handshake::None}, "T\r\n", "", "",
       '\n', ParseContinuousLine},
      {"standard", "standard interface commands",
       {TBaudRate::br9600, TDataBits::db8, TParity::paNone, TStopBits::sb1, Handshake::None}, "T\r\n", "S\r\n",
       "SI\r\n", '\n', ParseStandardReply},
      {"two-letter", "two-letter commands",
       {TBaudRate::br9600, TDataBits::db8, TParity::paNone, TStopBits::sb1, Handshake::None}, "T\r\n", "Q\r\n",
       "Q\r\n", '\n', ParseTwoLetterReply},
  };
  return profiles;
}

const BalanceProfile* FindBalanceProfile(std::string_view name) {
  for (const BalanceProfile& p : BalanceProfiles()) {
    if (p.Name == name) return &p;
  }
  return nullptr;
}

const BalanceProfile& DefaultBalanceProfile() {
  return BalanceProfiles().front();
}

}  // namespace vorsant

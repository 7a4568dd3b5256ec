#pragma once
// The command sets laboratory balances speak, one profile each: the line
// settings, the tare and weight commands, and a pure parser of one reply
// line. The first profile is the program's original balance, byte for byte;
// the others are what balances bought today speak.
//
// Wire formats (one line each, ended by CR LF unless said otherwise):
//
// "default": ESC T CR tares, ESC P CR asks for the weight; the reply is a
//   sign byte and the weight in grams in the next 9 bytes, ended by CR
//   (see balance_protocol.h). It says nothing of stability.
//
// "standard" (the standard interface command set): "S" asks for a stable
//   weight, "SI" for the weight at once, "T" tares, "Z" zeroes. Replies are
//   blank-separated fields:
//     S S     12.345 g     stable weight
//     S D     12.345 g     unstable ("dynamic") weight, from SI
//     S I                  busy, try again
//     S +  /  S -          overload / underload
//     ES  ET  EL           syntax, transmission, logical error
//     T S      0.000 g     tare done (T I, T +, T - as above)
//
// "two-letter": "Q" asks for the weight, "T" tares. A reply is a two-letter
//   header, a comma, the signed value right-aligned in 9 bytes and the unit
//   in 3:
//     ST,+00012.34  g      stable
//     US,+00012.34  g      unstable
//     OL,+9999999E+19      overload (a '-' sign: underload)
//     EC,E1                an error code
//
// "continuous": the balance sends a line of its own for every reading, in
//   either of the two formats above; no command asks for it and the newest
//   stable line is taken.

#include <string>
#include <string_view>
#include <vector>

#include "scale/com_settings.h"

namespace vorsant {

// AsPort leaves the port's own flow control, as the original balance does.
enum class Handshake { AsPort, None, RtsCts, XonXoff };

struct BalanceLineSettings {
  TBaudRate BaudRate = TBaudRate::br9600;
  TDataBits DataBits = TDataBits::db8;
  TParity Parity = TParity::paNone;
  TStopBits StopBits = TStopBits::sb1;
  Handshake Flow = Handshake::None;
};

enum class ReadingState {
  Stable,     // a weight the balance calls stable
  Unstable,   // a weight still moving; ask again
  Busy,       // the balance cannot answer now; ask again
  Overload,
  Underload,
  WrongUnit,  // a weight in a unit that is no mass the program converts
  Error,      // the balance reports an error of its own
  Unreadable, // silence, or a line that is no reply of this command set
};

struct BalanceReading {
  ReadingState State = ReadingState::Unreadable;
  double Grams = 0;     // meaningful for Stable and Unstable
  std::string Unit;     // as the balance wrote it
  std::string Detail;   // an error code, or the line itself when unreadable
};

using ReplyParser = BalanceReading (*)(std::string_view line);

struct BalanceProfile {
  std::string_view Name;         // on the command line and in the registry
  std::string_view Description;  // in messages: "standard interface commands"
  BalanceLineSettings Line;
  std::string_view TareCommand;    // empty: this balance cannot be tared
  std::string_view WeightCommand;  // empty: the balance sends on its own
  // A weight at once, stable or moving (a collection's); empty as above.
  std::string_view ImmediateCommand;
  char ReplyEnd;  // the last byte of a reply line
  ReplyParser Parse;
};

// Every profile, in the order detection tries them: the original balance
// first, then the continuous output, listened to before any other command is
// sent (a balance that sends on its own would seem to answer a command set
// whose lines look like its own).
const std::vector<BalanceProfile>& BalanceProfiles();
// nullptr for a name no profile has.
const BalanceProfile* FindBalanceProfile(std::string_view name);
const BalanceProfile& DefaultBalanceProfile();

// The parsers, pure: one line as received, its end included or not.
BalanceReading ParseDefaultReply(std::string_view line);
BalanceReading ParseStandardReply(std::string_view line);
BalanceReading ParseTwoLetterReply(std::string_view line);
// Either of the two formats, told apart by the line's shape.
BalanceReading ParseContinuousLine(std::string_view line);

// Grams per unit for g, kg and mg (any case); 0 for anything else.
double GramsPerUnit(std::string_view unit);

// What the user reads for a reading that is not a weight: "the balance is
// overloaded", "the balance reports its weight in lb; set it to grams", ...
// Empty for Stable and Unstable.
std::string ReadingProblem(const BalanceReading& reading);

// "9600 baud, 8 data bits, no parity, 1 stop bit"
std::string LineSettingsText(const BalanceLineSettings& line);

}  // namespace vorsant

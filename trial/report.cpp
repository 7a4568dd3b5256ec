#include "trial/report.h"

#include "trial/cp1252.h"

namespace vorsant {

namespace {

// Appends the pieces into one string (this also keeps clear of a false
// -Wrestrict alarm of GCC 12 on `literal + std::string`).
std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out.append(p);
  return out;
}

std::string Dashes(std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += "\u2014";
  return out;
}

void AddEmpty(std::vector<std::string>& lines, int n) {
  for (int i = 0; i < n; ++i) lines.emplace_back();
}

// The point number right-aligned in two characters.
std::string PointNumber(std::size_t k) {
  std::string s = std::to_string(k);
  if (s.size() < 2) s.insert(0, 1, ' ');
  return s;
}

class ReportBuilder {
 public:
  ReportBuilder(const TWineRec& rec, const AnsiDecoder& decode) : rec_(rec), decode_(decode) {}

  template <std::size_t N>
  std::string T(const ShortText<N>& text) const {
    return decode_(text.Str());
  }

  std::vector<std::string> Table() const {
    const TConditions& k = rec_.Conditions;
    std::vector<std::string> lines;
    AddEmpty(lines, 2);
    lines.push_back("           Laboratory Conditions                  Full Scale Conditions");
    lines.push_back(Cat({"   ", Dashes(37), "   ", Dashes(32)}));
    lines.push_back(Cat(
        {"                   pressure: ", T(k.LabP), " psi         maximum pressure: ", T(k.ProdP), " psi"}));
    lines.push_back(Cat({"                       area:", T(rec_.LabA),
                         " cm2                     area: ", T(k.ProdA), " m2"}));
    const char* unit = k.ProdRateUnits == 0 ? "bpm" : "gpm";
    lines.push_back(Cat({"   equivalent volume passed: ", T(rec_.LabEquivVol),
                         " gal                     rate: ", T(k.ProdRate), " ", unit}));
    lines.push_back(Cat({"      average face velocity: ", T(rec_.LabFaceVel),
                         " gpm/m2         face velocity: ", T(rec_.ProdFaceVel), " gpm/m2"}));
    AddEmpty(lines, 2);
    lines.push_back("                  V      Time     V/A        R      Rmodel     Rmax");
    lines.push_back("                 ml    min sec     m        1/m       1/m       1/m");
    lines.push_back(Cat({"             ", Dashes(8), "  ", Dashes(7), "  ", Dashes(7), "  ", Dashes(8), "  ",
                         Dashes(8), "  ", Dashes(8)}));
    if (!rec_.TableData[0].V.Empty()) {
      lines.push_back(Cat(
          {"          0      na        00    0.000       na     ", T(rec_.RmP), "    ", T(rec_.MaxProdR)}));
    } else {
      lines.push_back("          0");
    }
    for (std::size_t i = 0; i < kPointCount; ++i) {
      const TTableRow& row = rec_.TableData[i];
      lines.push_back(Cat({"         ", PointNumber(i + 1), "   ", T(row.V), "   ", T(row.M), " ", T(row.Sc),
                           "    ", T(row.VA), "    ", T(row.R), "    ", T(row.RmodelP)}));
    }
    AddEmpty(lines, 6);
    return lines;
  }

  std::vector<std::string> Summary() const {
    std::vector<std::string> lines;
    AddEmpty(lines, 1);
    lines.push_back(Cat({" Wine: ", T(rec_.Conditions.WineName)}));
    lines.push_back(Cat({" Filter: ", T(rec_.Conditions.FilterName)}));
    AddEmpty(lines, 1);
    lines.push_back(" Fouling Constants");
    lines.push_back(Cat({" ", Dashes(17)}));
    lines.push_back(Cat({" Rm:", T(rec_.RmP)}));
    lines.push_back(Cat({" a:", T(rec_.a)}));
    lines.push_back(Cat({" b:", T(rec_.bP)}));
    lines.push_back(Cat({" r:", T(rec_.rP)}));
    AddEmpty(lines, 1);
    lines.push_back(" Estimated full-scale volume");
    lines.push_back(Cat({" ", Dashes(27)}));
    lines.push_back(Cat({" ", T(rec_.ExpectedVolP), " gallons"}));
    AddEmpty(lines, 6);
    return lines;
  }

 private:
  const TWineRec& rec_;
  const AnsiDecoder& decode_;
};

}  // namespace

ReportLines FillLines(const TWineRec& WineRec, const AnsiDecoder& decode) {
  const ReportBuilder builder(WineRec, decode);
  ReportLines lines;
  lines.Memo2 = builder.Table();
  lines.Memo1 = builder.Summary();
  return lines;
}

ReportLines FillLines(const TWineRec& WineRec) {
  return FillLines(WineRec, AnsiDecoder(Windows1252ToUtf8));
}

}  // namespace vorsant

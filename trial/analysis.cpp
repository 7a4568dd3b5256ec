#include "trial/analysis.h"

#include "trial/analysis_points.h"

#include <algorithm>
#include <cmath>

#include "trial/number_text.h"
#include "trial/power_fit.h"
#include "trial/result_text.h"

namespace vorsant {

namespace {

constexpr double kPaPerPsi = 6894.8;
constexpr double kPi = 3.14159;  // the laboratory area has always used five decimals
constexpr double kBottleLitres = 0.75;
constexpr double kGallonLitres = 3.7854;
constexpr double kViscosityNormal = 0.0015;   // Pa s
constexpr double kViscosityDessert = 0.0021;  // Pa s
constexpr long kLeastFittedPoints = 4;
constexpr double kExponentLimit = 46;  // exp(46) m is far beyond any filter
constexpr long kPoints = static_cast<long>(kPointCount);

template <std::size_t N>
double Number(const ShortText<N>& t) {
  return StoredNumberOr0(t.Str());
}

// Working arrays are indexed by point j = 1..36 like the table; anything
// outside that range reads as 0, so a damaged MinSkip cannot reach past them.
double At(const TRegressionData& a, long j) {
  return j >= 1 && j <= kPoints ? a[static_cast<std::size_t>(j - 1)] : 0.0;
}
double& Ref(TRegressionData& a, long j) {
  return a[static_cast<std::size_t>(j - 1)];
}
TTableRow& Row(TWineRec& rec, long j) {
  return rec.TableData[static_cast<std::size_t>(j - 1)];
}

class Analysis {
 public:
  // `points`, when given, receives the working figures of the fits; the
  // record's results are the same either way.
  Analysis(TWineRec& rec, bool showDialogs, std::string_view separator,
           AnalysisPointsOutcome* points = nullptr)
      : rec_(rec), show_(showDialogs), separator_(separator), points_(points) {}

  std::vector<std::string> Run() {
    FillData(rec_);
    ReadTimes();
    ReadConditions();
    FindUsableRows();
    if (!IntervalResistances()) {
      HandOutPoints();  // the production conditions, for the fouling models
      return std::move(warnings_);
    }
    const bool enough = SkipLeadingPoints();
    HandOutPoints();
    if (!enough) return std::move(warnings_);
    FitModels();
    return std::move(warnings_);
  }

 private:
  void Warn(std::string_view message) {
    if (show_) warnings_.emplace_back(message);
  }

  // A warning that ends the run before the fits.
  void Stop(std::string_view message) {
    Warn(message);
    if (points_) points_->failure = std::string(message);
  }

  // The fitted points after the skip, and the production conditions.
  void HandOutPoints() {
    if (!points_) return;
    AnalysisPoints& p = points_->points;
    p.w.clear();
    p.R.clear();
    for (long i = 1; i <= count_; ++i) {
      p.w.push_back(At(w_, i));
      p.R.push_back(At(r_, i));
    }
    p.rMax = rMax_;
    p.prodArea = prodArea_;
    p.prodFlow = prodFlow_;
    p.prodPressure = prodPa_;
    p.viscosity = viscosity_;
  }

  // Cumulative times and the interval before each point.
  void ReadTimes() {
    for (long j = 1; j <= kPoints; ++j) {
      const TTableRow& row = Row(rec_, j);
      const double seconds = Number(row.M) * 60 + Number(row.Sc);
      Ref(t_, j) = seconds > 0 ? seconds : 0;
    }
    for (long j = kPoints; j >= 2; --j) Ref(dt_, j) = At(t_, j) != 0 ? At(t_, j) - At(t_, j - 1) : 0;
    Ref(dt_, 1) = At(t_, 1);
  }

  // The conditions in SI units and the largest resistance at
  // which the production filter still passes the wanted rate.
  void ReadConditions() {
    const TConditions& k = rec_.Conditions;
    const double diameter = Number(k.LabFiltDia) / 1000;
    area_ = (diameter / 2) * (diameter / 2) * kPi;
    labPa_ = Number(k.LabP) * kPaPerPsi;
    prodPa_ = Number(k.ProdP) * kPaPerPsi;
    prodArea_ = Number(k.ProdA);
    const double litres = k.ProdRateUnits == 0 ? kBottleLitres : kGallonLitres;
    prodFlow_ = Number(k.ProdRate) * litres / 1000 / 60;
    viscosity_ = k.WineType == 0 ? kViscosityNormal : kViscosityDessert;
    rMax_ = prodPa_ * prodArea_ / (viscosity_ * prodFlow_);
    rec_.MaxProdR.Set(ResistanceText(rMax_));
    rec_.Model = 0;
  }

  // The rows that take part, and the volume per area at the middle
  // of each interval.
  void FindUsableRows() {
    for (long j = 1; j <= kPoints; ++j) Ref(v_, j) = Number(Row(rec_, j).V);
    count_ = 0;
    const double w1 = At(v_, 1) / 1e6 / 2 / area_;
    Ref(w_, 1) = w1;
    if (w1 > 0) {
      Row(rec_, 1).VA.Set(FixedOrBlank(w1, 5, 3));
      count_ = 1;
    } else {
      Row(rec_, 1).VA.Clear();
    }
    if (count_ == 1) {
      long j = 2;
      do {
        const double previous = At(v_, j - 1);
        Ref(w_, j) = ((At(v_, j) - previous) / 2 + previous) / 1e6 / area_;
        Row(rec_, j).VA.Set(FixedOrBlank(At(w_, j), 5, 3));
        count_ = j;
        ++j;
      } while (j <= kPoints && !Row(rec_, j).V.Empty() && !Row(rec_, j).M.Empty() &&
               !Row(rec_, j).Sc.Empty());
    }
    if (count_ > 0) lastVolume_ = At(v_, count_);
  }

  // The resistance of every interval; the rows after the last point are
  // emptied. Returns false when a non-positive interval ends the run.
  bool IntervalResistances() {
    bool timeNegative = false;
    bool volumeNegative = false;
    for (long j = 1; j <= count_; ++j) {
      if (At(dt_, j) == 0) {
        // Equal times, or a row without a time: the points end before it.
        // Keeping later points with R = 0 would corrupt both fits. The
        // laboratory volume stays that of this row, as when it is the last.
        count_ = j - 1;
        lastVolume_ = At(v_, j);
        break;
      }
      const double dv = At(v_, j) - At(v_, j - 1);
      if (At(dt_, j) <= 0) {
        timeNegative = true;
      } else if (dv <= 0) {
        volumeNegative = true;
      } else {
        const double R = At(dt_, j) / (dv / 1e6) * (labPa_ * area_ / viscosity_);
        Ref(r_, j) = R;
        Ref(lnR_, j) = std::log(R);
        Row(rec_, j).R.Set(ResistanceText(R));
      }
    }
    for (long j = count_ + 1; j <= kPoints; ++j) ClearRow(Row(rec_, j));

    if (timeNegative) {
      Stop(kTimeIntervalWarning);
    } else if (volumeNegative) {
      Stop(kVolumeIntervalWarning);
    }
    if (!timeNegative && !volumeNegative) return true;
    BlankResults("   neg");
    for (TTableRow& row : rec_.TableData) {
      row.R.Clear();
      row.RmodelE.Clear();
      row.RmodelP.Clear();
    }
    return false;
  }

  static void ClearRow(TTableRow& row) {
    row.V.Clear();
    row.M.Clear();
    row.Sc.Clear();
    row.VA.Clear();
    row.R.Clear();
    row.RmodelE.Clear();
    row.RmodelP.Clear();
  }

  // Leaves out at least MinSkip leading points, and then every
  // further one after which the resistance still falls. Returns false when
  // too few points remain.
  bool SkipLeadingPoints() {
    long s = rec_.Data.MinSkip;
    while (At(r_, s + 1) > At(r_, s + 2) && s < count_) ++s;
    skipped_ = s;
    if (s > 0) {
      for (long i = 1; i + s <= kPoints; ++i) {
        Ref(r_, i) = At(r_, i + s);
        Ref(lnR_, i) = At(lnR_, i + s);
        Ref(w_, i) = At(w_, i + s);
      }
      count_ = std::max(count_ - s, 0L);
      for (long i = count_ + 1; i <= kPoints; ++i) Ref(r_, i) = Ref(lnR_, i) = Ref(w_, i) = 0;
    }
    if (count_ >= kLeastFittedPoints) return true;
    Stop(kInsufficientDataWarning);
    BlankWithoutFit();
    return false;
  }

  // The outcome of too few points; also the end of a run whose exponential
  // fit is not a finite line.
  void BlankWithoutFit() {
    BlankResults("      ");
    for (TTableRow& row : rec_.TableData) {
      row.RmodelE.Clear();
      row.RmodelP.Clear();
    }
  }

  void BlankResults(std::string_view rmE) {
    rec_.RmE.Set(rmE);
    rec_.RmP.Set("      ");
    for (auto* text : {&rec_.rE, &rec_.rP, &rec_.bE, &rec_.bP}) text->Set("     ");
    rec_.a.Set("       ");
    rec_.ExpectedVolE.Set("      ");
    rec_.ExpectedVolP.Set("      ");
    for (auto* text : {&rec_.LabEquivVol, &rec_.LabFaceVel, &rec_.ProdFaceVel}) text->Set("    ");
  }

  // Both fouling models, their full-scale volumes and their table columns.
  void FitModels() {
    double mE = 0, bE = 0, rE = 0;
    Regression(mE, bE, rE, w_, lnR_, static_cast<std::uint16_t>(count_));
    const double rm = std::exp(bE);
    if (!std::isfinite(mE) || !std::isfinite(bE) || !std::isfinite(rE) || !std::isfinite(rm)) {
      BlankWithoutFit();
      return;
    }
    rec_.bE.Set(FixedOrBlank(mE, 5, 3));
    rec_.RmE.Set(ResistanceText(rm));
    rec_.rE.Set(FixedOrBlank(rE, 5, 3));

    ExponentialVolume(mE, rm);
    LaboratoryFigures();
    for (long j = 1; j <= kPoints && !Row(rec_, j).V.Empty(); ++j) {
      TTableRow& row = Row(rec_, j);
      row.RmodelE.Set(ResistanceText(std::exp(mE * Number(row.VA)) * rm));
    }

    const bool powerFitted = PowerModel();
    rec_.Model = powerFitted && rE <= powerR_ ? 1 : 0;
  }

  // The full-scale volume by the exponential model.
  void ExponentialVolume(double mE, double rm) {
    if (rm >= rMax_) {
      Warn(kRmAboveRmaxWarning);
      rec_.ExpectedVolE.Set("  0");
      rec_.ExpectedVolP.Set("  0");
    } else if (mE <= 0) {
      rec_.ExpectedVolE.Set("      ");
      rec_.ExpectedVolP.Set("      ");
      Warn(kNoFoulingWarning);
    } else {
      const double gallons = (std::log(rMax_) - std::log(rm)) / mE * prodArea_ * 1000 / kGallonLitres;
      rec_.ExpectedVolE.Set(ExponentialVolumeText(gallons));
    }
  }

  // The laboratory volume and the face velocities.
  void LaboratoryFigures() {
    const double labGallons = lastVolume_ / 1000 / kGallonLitres;
    rec_.LabEquivVol.Set(LabEquivVolText(labGallons * (prodArea_ / area_)));
    // The time of the last usable point, counted before the skip.
    const double minutes = At(t_, count_ + skipped_) / 60;
    rec_.LabFaceVel.Set(FixedOrBlank(labGallons / area_ / minutes, 4, 1));
    rec_.ProdFaceVel.Set(FixedOrBlank(prodFlow_ * 1000 / kGallonLitres * 60 / prodArea_, 4, 1));
  }

  // The power model. Returns whether its fit succeeded.
  bool PowerModel() {
    TRegressionData lnW{};
    for (long i = 1; i <= count_; ++i) Ref(lnW, i) = std::log(At(w_, i));
    const PowerFitResult fit = FitPower(r_, lnW, static_cast<std::size_t>(count_));
    if (fit.failed) return PowerFailed();

    // a is stored as a 6-byte real; what the record holds is what counts.
    const std::optional<Real48> stored = Real48::FromDouble(std::exp(fit.lnA));
    if (!stored) return PowerFailed();
    const double a = stored->Value();
    const double lnA = std::log(a);
    if (!std::isfinite(lnA)) return PowerFailed();

    std::array<double, kPointCount> model{};
    for (long j = 1; j <= kPoints && !Row(rec_, j).V.Empty(); ++j) {
      const double w = Number(Row(rec_, j).VA);
      // A point whose V/A rounds to 0.000 adds nothing: ln 0 is no number.
      const double term = w > 0 ? a * std::exp(std::log(w) * fit.n) : 0.0;
      Ref(model, j) = fit.R0 + term;
      if (std::isnan(At(model, j))) return PowerFailed();
    }

    enum class Volume { kUnchanged, kAboveRmax, kComputed } volume = Volume::kUnchanged;
    std::string volumeText;
    if (lnA >= rMax_) {
      volume = Volume::kUnchanged;
    } else if (fit.R0 >= rMax_) {
      volume = Volume::kAboveRmax;
    } else {
      volume = Volume::kComputed;
      const double z = (std::log(rMax_ - fit.R0) - lnA) / fit.n;
      if (std::isnan(z)) return PowerFailed();
      if (z > kExponentLimit) {
        volumeText = " incalculably high";
      } else {
        const double gallons = std::exp(z) * prodArea_ * 1000 / kGallonLitres;
        if (std::isnan(gallons)) return PowerFailed();
        volumeText = PowerVolumeText(gallons, separator_);
      }
    }

    rec_.aReal = *stored;
    rec_.a.Set(CoefficientText(a));
    rec_.bP.Set(FixedOrBlank(fit.n, 5, 3));
    rec_.rP.Set(FixedOrBlank(fit.r, 5, 3));
    rec_.RmP.Set(ResistanceText(fit.R0));
    if (volume == Volume::kAboveRmax) {
      Warn(kPowerRmAboveRmaxWarning);
      rec_.ExpectedVolP.Set("  0");
    } else if (volume == Volume::kComputed) {
      rec_.ExpectedVolP.Set(volumeText);
    }
    for (long j = 1; j <= kPoints && !Row(rec_, j).V.Empty(); ++j) {
      Row(rec_, j).RmodelP.Set(ResistanceText(At(model, j)));
    }
    powerR_ = fit.r;
    if (points_) {
      AnalysisPoints& p = points_->points;
      p.powerFitted = true;
      p.R0 = fit.R0;
      p.a = a;
      p.n = fit.n;
      p.powerR = fit.r;
    }
    return true;
  }

  bool PowerFailed() {
    rec_.RmP.Set("      ");
    rec_.a.Set("       ");
    rec_.bP.Set("     ");
    rec_.rP.Set("     ");
    rec_.ExpectedVolP.Set("      ");
    for (TTableRow& row : rec_.TableData) row.RmodelP.Set("      ");
    return false;
  }

  TWineRec& rec_;
  bool show_;
  std::string_view separator_;
  std::vector<std::string> warnings_;
  AnalysisPointsOutcome* points_;

  TRegressionData t_{}, dt_{}, v_{}, w_{}, r_{}, lnR_{};
  double area_ = 0, labPa_ = 0, prodPa_ = 0, prodArea_ = 0, prodFlow_ = 0, viscosity_ = 0, rMax_ = 0;
  long count_ = 0;
  long skipped_ = 0;
  double lastVolume_ = 0;
  double powerR_ = 0;
};

}  // namespace

void FillData(TWineRec& WineRec) {
  for (std::size_t k = 0; k < kPointCount; ++k) {
    TTableRow& row = WineRec.TableData[k];
    row.V.Set(WineRec.Data.V[k].Str());
    row.M.Set(WineRec.Data.M[k].Str());
    row.Sc.Set(WineRec.Data.Sc[k].Str());
  }
}

std::vector<std::string> Calculate(TWineRec& WineRec, bool ShowDialogs, std::string_view thousandsSeparator) {
  return Analysis(WineRec, ShowDialogs, thousandsSeparator).Run();
}

std::vector<std::string> Calculate(TWineRec& WineRec, bool ShowDialogs) {
  const std::string separator = LocaleThousandsSeparator();
  return Calculate(WineRec, ShowDialogs, separator);
}

AnalysisPointsOutcome AnalyseTrialPoints(const TWineRec& rec) {
  TWineRec copy = rec;
  AnalysisPointsOutcome outcome;
  // The separator only groups a volume text of the copy, which is dropped.
  Analysis(copy, false, ",", &outcome).Run();
  return outcome;
}

void DataCollapse(TWineRec& WineRec) {
  TData& data = WineRec.Data;
  for (std::size_t k = 0; k < kPointCount / 2; ++k) {
    data.V[k] = data.V[2 * k + 1];
    data.M[k] = data.M[2 * k + 1];
    data.Sc[k] = data.Sc[2 * k + 1];
  }
  for (std::size_t k = kPointCount / 2; k < kPointCount; ++k) {
    data.V[k].Clear();
    data.M[k].Clear();
    data.Sc[k].Clear();
  }
  Calculate(WineRec, false);
}

}  // namespace vorsant

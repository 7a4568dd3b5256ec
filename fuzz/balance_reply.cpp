// Bytes from the serial line: every profile's reply parser on the whole
// input, the original balance's reply parser alone,
// then the input as a balance's stream, read reading by reading the way a
// collection takes its points and turned into stored points.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "scale/balance.h"
#include "scale/balance_profile.h"
#include "scale/point_texts.h"
#include "scale/serial_port.h"
#include "trial/analysis.h"
#include "trial/new_trial.h"
#include "trial/wine_rec.h"

namespace {

using namespace vorsant;

// A port that answers every request with the next bytes of the input and
// falls silent when they run out.
class StreamPort final : public SerialPort {
 public:
  explicit StreamPort(std::string_view bytes) : bytes_(bytes) {}
  bool Active() const override { return active_; }
  void SetActive(bool value) override { active_ = value; }
  void WriteAnsiChar(char) override {}
  char ReadAnsiChar() override { return Next().value_or('\r'); }
  std::optional<char> ReadAnsiCharWithin(std::chrono::milliseconds) override { return Next(); }
  bool Drained() const { return bytes_.empty(); }

 private:
  std::optional<char> Next() {
    if (bytes_.empty()) return std::nullopt;
    const char c = bytes_.front();
    bytes_.remove_prefix(1);
    return c;
  }

  std::string_view bytes_;
  bool active_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const BalanceProfile& profile : BalanceProfiles()) {
    const BalanceReading r = profile.Parse(bytes);
    if (ReadingProblem(r).empty() != (r.State == ReadingState::Stable || r.State == ReadingState::Unstable)) {
      __builtin_trap();
    }
  }
  const TWeightReading whole = ParseWeightReply(bytes);
  if (whole.WeightStr.size() > 9) __builtin_trap();

  StreamPort port(bytes);
  const TWeightReading start = GetWeight(port);
  if (start.Error) return 0;
  TWineRec rec = NewWineRec({"Chardonnay 24", "PES 0.45", 0, "30", "47", "30", "10", "40", true});
  double elapsed = 0;
  double previous = 0;
  for (std::size_t k = 0; k < kPointCount && !port.Drained(); ++k) {
    const TWeightReading reading = GetWeight(port);
    if (reading.Error) break;
    // As in a run at density 1: less than a millilitre gained ends it.
    const double volume = reading.WeightVal - start.WeightVal;
    if (volume - previous < 1.0) break;
    previous = volume;
    elapsed += 15;
    const PointTexts texts = MakePointTexts(volume, elapsed);
    rec.Data.V[k].Set(texts.V);
    rec.Data.M[k].Set(texts.M);
    rec.Data.Sc[k].Set(texts.Sc);
    (void)Calculate(rec, false, ",");
  }
  return 0;
}

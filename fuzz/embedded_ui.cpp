// The installer's message stream as the embedded handler sees it: any kind,
// formatted text and fields, between the start and the end of an
// installation whose hits are then flushed to a collector taking every post.
//
// Input: messages separated by a zero byte; a message's first byte picks its
// kind, the rest is its formatted text and fields 1 to 3, separated by 0x01,
// as UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

#include "analytics/install_analytics.h"
#include "plumeta_support.h"

using namespace plumeta;

namespace {

constexpr std::uint32_t kKinds[] = {kMessageError,       kMessageWarning,    kMessageInfo,
                                    kMessageActionStart, kMessageInstallEnd, 0x03000000u};
// Each message may store a hit; an installation has tens, not thousands.
constexpr int kMostMessages = 64;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseScratchTempFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::Storage storage;
  static fuzz::Machine machine;
  int posts = 0;
  InstallAnalytics analytics(machine.MakePlatform(storage, posts));
  fuzz::Installation installer;
  analytics.OnAnalyticsToggle(installer);
  analytics.InitializeEmbeddedUI(installer);

  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (int n = 0; n < kMostMessages && !bytes.empty(); ++n) {
    const std::size_t end = bytes.find('\0');
    const std::string_view message = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (message.empty()) continue;
    const std::uint32_t kind = kKinds[static_cast<std::uint8_t>(message[0]) % std::size(kKinds)];
    fuzz::Record record(message.substr(1));
    analytics.EmbeddedUIHandler(kind, record);
  }
  analytics.ShutdownEmbeddedUI();
  return 0;
}

// Costs of the offline queue: storing one hit (which rewrites its session
// file) and flushing 1,000 stored hits through a transport that answers at
// once.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "analytics/ini_document.h"
#include "analytics/session_store.h"
#include "analytics/storage_paths.h"

namespace plumeta {
namespace {

class StepClock final : public Clock {
 public:
  std::uint32_t TickCount() override { return tick++; }
  std::uint32_t tick = 1000;
};

class CountingGuids final : public GuidSource {
 public:
  Guid NewGuid() override {
    Guid g;
    g.data1 = next++;
    return g;
  }
  std::uint32_t next = 1;
};

class InstantSender final : public FormSender {
 public:
  FormResponse Send(const FormRequest& request) override {
    bytes += request.BodyLength();
    return {200, {}};
  }
  std::size_t bytes = 0;
};

// The system file system with its temporary folder in a folder of its own.
class BenchFiles final : public FileSystem {
 public:
  BenchFiles() : system_(MakeSystemFileSystem()) {
    auto guids = MakeSystemGuidSource();
    root_ = system_->TempFolder() + u"plumeta-bench-" + GuidText(guids->NewGuid()).substr(1, 36);
    system_->MakeFolders(root_);
  }
  ~BenchFiles() override {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(root_), ignored);
  }
  char16_t Separator() const override { return system_->Separator(); }
  std::u16string TempFolder() override { return root_ + Separator(); }
  bool MakeFolders(const std::u16string& p) override { return system_->MakeFolders(p); }
  std::optional<std::string> ReadBytes(const std::u16string& p) override { return system_->ReadBytes(p); }
  bool WriteBytes(const std::u16string& p, std::string_view b) override { return system_->WriteBytes(p, b); }
  bool RemoveFile(const std::u16string& p) override { return system_->RemoveFile(p); }
  EntryKind Kind(const std::u16string& p) override { return system_->Kind(p); }
  std::optional<std::int64_t> ModifiedTime(const std::u16string& p) override {
    return system_->ModifiedTime(p);
  }
  bool SetModifiedTime(const std::u16string& p, std::int64_t s) override {
    return system_->SetModifiedTime(p, s);
  }
  std::int64_t Now() override { return system_->Now(); }
  std::optional<std::vector<FolderEntry>> ListFolder(const std::u16string& p) override {
    return system_->ListFolder(p);
  }
  std::unique_ptr<Folder> OpenFolder(const std::u16string& p) override { return system_->OpenFolder(p); }

 private:
  std::unique_ptr<FileSystem> system_;
  std::u16string root_;
};

struct Rig {
  Rig()
      : store(StoreServices{files, clock, guids}),
        tracker(std::make_unique<HttpFormClient>(std::make_unique<InstantSender>()),
                u"http://collector.test") {
    store.Prepare(tracker, AppInfo{u"{APP-ID}", u"Vorsant", u"Vorsant", u"6.1.0"}, std::u16string(40, u'C'));
    store.WriteGeneral(u"Active", u"true");
  }

  std::unique_ptr<PropertyHit> NewHit() {
    return std::make_unique<PropertyHit>(NewHitStamp(clock, guids), u"ADDLOCAL", u"MainFeature,Help,Samples");
  }

  // Writes `hits` stored hits over `files` session files directly, as
  // TrackHit would have left them.
  void StoreHits(int hits, int sessionFiles) {
    std::u16string folder = StorageFolder(files, u"Vorsant", u"6.1.0");
    for (int f = 0; f < sessionFiles; ++f) {
      std::u16string sessionId = GuidText(guids.NewGuid());
      IniDocument doc(FilePath(files, folder, sessionId + u".session"));
      TrackingSession session = store.session();
      session.sessionId = sessionId;
      for (int h = f; h < hits; h += sessionFiles) {
        auto hit = NewHit();
        IniSection& section = doc.GetSection(u"Activity " + hit->ActivityId());
        ParamList params = BuildParamList(tracker, session, *hit);
        for (const Param& p : params.items()) section.Set(p.name, p.value);
      }
      doc.Save(files);
    }
  }

  BenchFiles files;
  StepClock clock;
  CountingGuids guids;
  SessionStore store;
  Tracker tracker;
};

// One hit stored into a session file that already holds range(0) hits.
void BM_TrackHit(benchmark::State& state) {
  Rig rig;
  auto existing = static_cast<int>(state.range(0));
  for (int i = 0; i < existing; ++i) rig.store.TrackHit(rig.NewHit());
  // The same activity each round keeps the file at a constant size.
  HitStamp stamp = NewHitStamp(rig.clock, rig.guids);
  for (auto _ : state) {
    bool saved = rig.store.TrackHit(std::make_unique<PropertyHit>(stamp, u"ADDLOCAL", u"MainFeature,Help"));
    benchmark::DoNotOptimize(saved);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TrackHit)->Arg(0)->Arg(30)->Arg(300)->Unit(benchmark::kMicrosecond);

// 1,000 stored hits in range(0) session files, sent and deleted.
void BM_FlushQueue(benchmark::State& state) {
  Rig rig;
  auto sessionFiles = static_cast<int>(state.range(0));
  constexpr int kHits = 1000;
  for (auto _ : state) {
    state.PauseTiming();
    rig.StoreHits(kHits, sessionFiles);
    state.ResumeTiming();
    rig.store.FlushQueue();
  }
  state.SetItemsProcessed(state.iterations() * kHits);
}
BENCHMARK(BM_FlushQueue)->Arg(1)->Arg(40)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plumeta

BENCHMARK_MAIN();

#include "analytics/install_analytics.h"

#include "analytics/endpoint.h"
#include "analytics/numbers.h"
#include "analytics/storage_paths.h"

namespace plumeta {

InstallAnalytics::InstallAnalytics(Platform platform)
    : platform_(std::move(platform)),
      store_(StoreServices{platform_.files, platform_.clock, platform_.guids}) {}

void InstallAnalytics::PrepareTracking(Installer& installer) {
  // Each export's log line tells what it did itself.
  store_.TakeReport();
  if (!propertyVersion_) {
    propertyVersion_ =
        OsVersionFromProperties(installer.Property(u"VersionNT"), installer.Property(u"WindowsBuild"));
  }
  // The User-Agent reports the version the installer reports.
  activeVersion_ = *propertyVersion_;

  std::u16string version = installer.Property(u"ProductVersion");
  std::u16string name = installer.Property(u"ProductName");
  std::u16string applicationId = installer.Property(u"OX_TR_APPLICATION_ID");
  std::u16string endpoint = ChooseEndpoint(installer.Property(kEndpointProperty), platform_.defaultEndpoint);

  if (!tracker_) {
    // The User-Agent is composed here once and kept by the internet session.
    std::unique_ptr<FormSender> sender;
    if (platform_.makeSender)
      sender = platform_.makeSender(FormatUserAgent(activeVersion_, platform_.windows64));
    tracker_ = std::make_unique<Tracker>(std::make_unique<HttpFormClient>(std::move(sender)), endpoint);
  }
  tracker_->SetEndpointUrl(std::move(endpoint));
  store_.Prepare(*tracker_, AppInfo{applicationId, name, name, version}, MachineId(platform_.machine));
}

HitStamp InstallAnalytics::Stamp() {
  return NewHitStamp(platform_.clock, platform_.guids);
}

void InstallAnalytics::Track(const std::function<std::unique_ptr<Hit>()>& make) {
  try {
    std::unique_ptr<Hit> hit = make();
    if (hit) store_.TrackHit(std::move(hit));
  } catch (...) {
    // The export's other hits and its flush still run.
  }
}

void InstallAnalytics::TrackProperty(std::u16string label, std::u16string value) {
  Track([&] { return std::make_unique<PropertyHit>(Stamp(), std::move(label), std::move(value)); });
}

void InstallAnalytics::TrackLifecycle(std::u16string_view control, std::u16string_view status) {
  Track([&]() -> std::unique_ptr<Hit> {
    auto hit = std::make_unique<LifecycleHit>(Stamp(), std::u16string(control), std::u16string(status));
    if (control == u"start") hit->MarkSessionStart();
    if (control == u"end") hit->MarkSessionEnd();
    return hit;
  });
}

void InstallAnalytics::TrackException(std::u16string details, bool fatal) {
  // The exception names the action that was running when it happened.
  Track(
      [&] { return std::make_unique<ExceptionHit>(Stamp(), ui_.currentAction, std::move(details), fatal); });
}

void InstallAnalytics::LogPropertyList(Installer& installer, std::span<const std::u16string_view> names) {
  for (std::u16string_view name : names) {
    Track([&]() -> std::unique_ptr<Hit> {
      std::u16string value = installer.Property(name);
      if (value.empty()) return nullptr;
      return std::make_unique<PropertyHit>(Stamp(), std::u16string(name), std::move(value));
    });
  }
}

namespace {

std::u16string_view RefusalText(FolderRefusal why) {
  switch (why) {
    case FolderRefusal::kNotAFolder:
      return u"a link, junction or file stands in its place or in that of its tracking.ini";
    case FolderRefusal::kForeignOwner:
      return u"another user owns it";
    case FolderRefusal::kOpenToOthers:
      return u"other users may write to it";
    default:
      return u"it cannot be created or opened";
  }
}

std::u16string Count(std::size_t n) {
  return FormatInt64(static_cast<std::int64_t>(n));
}

}  // namespace

void InstallAnalytics::LogOutcome(Installer& installer, std::u16string_view action) noexcept {
  try {
    StoreReport report = store_.TakeReport();
    std::u16string line = u"plumeta: " + std::u16string(action) + u": ";
    if (report.refusal != FolderRefusal::kNone && report.stored == 0 && !report.flushed) {
      line += u"nothing done: the storage folder " +
              StoragePath(platform_.files, store_.session().app.productName,
                          store_.session().app.productVersion) +
              u" is refused: " + std::u16string(RefusalText(report.refusal));
    } else {
      line += Count(report.stored) + (report.stored == 1 ? u" hit stored" : u" hits stored");
      if (report.flushed) {
        line += u"; flush: " + Count(report.posted) + u" posted, " + Count(report.rejected) + u" rejected, " +
                Count(report.kept) + u" kept, " + Count(report.dropped) + u" dropped, " +
                Count(report.deletedUnsent) + u" deleted unsent in " + Count(report.flushMs) + u" ms (" +
                (tracker_ ? tracker_->endpointUrl() : u"") + u")";
      }
    }
    installer.LogInfo(line);
  } catch (...) {
    // The log is a courtesy: the installation goes on without it.
  }
}

}  // namespace plumeta

#include "analytics/session_store.h"

#include <exception>

#include "analytics/ini_document.h"
#include "analytics/numbers.h"
#include "analytics/storage_paths.h"
#include "analytics/text.h"

namespace plumeta {
namespace {

constexpr std::u16string_view kGeneral = u"General";
constexpr std::u16string_view kActive = u"Active";
constexpr std::u16string_view kCurrentSession = u"Current Session";
constexpr std::u16string_view kQueueTime = u"Queue Time";
constexpr std::u16string_view kActivityPrefix = u"Activity ";

// The hit's age: now minus the stored creation tick, in signed 64-bit
// arithmetic. After a restart the two ticks are unrelated and the age may
// be negative; it is sent as it is.
std::u16string QueueAge(std::uint32_t now, std::u16string_view stored) {
  std::uint64_t difference = std::uint64_t{now} - static_cast<std::uint64_t>(ParseInt64(stored));
  return FormatInt64(static_cast<std::int64_t>(difference));
}

}  // namespace

void SessionStore::Prepare(Tracker& tracker, AppInfo app, std::u16string clientId) {
  tracker_ = &tracker;
  session_ = TrackingSession{std::move(app), std::move(clientId), NewSessionId(), {}};
  // The id names a file, and the folder may be writable by other users
  // (the system account's temporary folder is), so only an id of the shape
  // this store writes is taken over.
  std::u16string current = ReadGeneral(kCurrentSession);
  if (IsGuidText(current)) session_.sessionId = std::move(current);
}

std::u16string SessionStore::Folder() {
  return StorageFolder(services_.files, session_.app.productName, session_.app.productVersion);
}

std::u16string SessionStore::NewSessionId() {
  return GuidText(services_.guids.NewGuid());
}

std::u16string SessionStore::ReadGeneral(std::u16string_view key) {
  if (!prepared()) return {};
  IniDocument ini(FilePath(services_.files, Folder(), kTrackingIniName));
  ini.Load(services_.profiles);
  return ini.Get(kGeneral, key);
}

bool SessionStore::WriteGeneral(std::u16string_view key, std::u16string_view value) {
  if (!prepared()) return false;
  IniDocument ini(FilePath(services_.files, Folder(), kTrackingIniName));
  ini.Load(services_.profiles);
  ini.Set(kGeneral, key, value);
  return ini.Save(services_.files);
}

bool SessionStore::TrackHit(std::unique_ptr<Hit> hit) {
  if (!hit || !prepared()) return false;
  if (hit->StartsSession()) {
    session_.sessionId = NewSessionId();
    WriteGeneral(kCurrentSession, session_.sessionId);
  }
  if (!hit->ContentDescription().empty()) {
    session_.contentDescription = hit->ContentDescription();
  } else {
    hit->SetContentDescription(session_.contentDescription);
  }
  bool saved = StoreParams(*hit);
  if (hit->EndsSession()) {
    session_.sessionId = NewSessionId();
    WriteGeneral(kCurrentSession, session_.sessionId);
  }
  kept_.push_back(std::move(hit));
  return saved;
}

bool SessionStore::StoreParams(const Hit& hit) {
  ParamList params = BuildParamList(*tracker_, session_, hit);
  std::u16string fileName = session_.sessionId + u"." + std::u16string(kSessionExtension);
  IniDocument file(FilePath(services_.files, Folder(), fileName));
  file.Load(services_.profiles);
  IniSection& section = file.GetSection(std::u16string(kActivityPrefix) + hit.ActivityId());
  for (const Param& param : params.items()) section.Set(param.name, param.value);
  return file.Save(services_.files);
}

void SessionStore::FlushQueue() {
  if (!prepared()) return;
  bool active = EqualsNoCase(ReadGeneral(kActive), u"true");
  std::vector<std::u16string> files = SessionFiles(services_.files, Folder());
  if (!active) {
    for (const std::u16string& path : files) services_.files.RemoveFile(path);
    return;
  }
  tracker_->BeforeFlush();
  for (const std::u16string& path : files) {
    // A file that cannot be processed must not hold back the others, nor
    // stay behind to fail every later flush.
    try {
      SendFile(path);
    } catch (const std::exception&) {
    }
    services_.files.RemoveFile(path);
  }
  session_.sessionId.clear();
  WriteGeneral(kCurrentSession, u"");
  tracker_->AfterFlush();
}

void SessionStore::SendFile(const std::u16string& path) {
  IniDocument file(path);
  file.Load(services_.profiles);
  for (const IniSection& section : file.sections()) {
    ParamList params;
    for (const IniEntry& entry : section.entries()) {
      bool isQueueTime = EqualsNoCase(entry.key, kQueueTime);
      params.Add(entry.key, isQueueTime ? QueueAge(services_.clock.TickCount(), entry.value) : entry.value);
    }
    tracker_->Send(params);
  }
}

}  // namespace plumeta

#include "analytics/session_store.h"

#include <algorithm>
#include <exception>
#include <optional>

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

std::u16string SessionStore::IniPath() {
  std::u16string folder = Folder();
  if (folder.empty()) return {};
  std::u16string path = FilePath(services_.files, folder, kTrackingIniName);
  return IsPlainFileOrMissing(services_.files, path) ? path : std::u16string();
}

std::u16string SessionStore::ReadGeneral(std::u16string_view key) {
  if (!prepared()) return {};
  std::u16string path = IniPath();
  if (path.empty()) return {};
  IniDocument ini(std::move(path));
  ini.Load(services_.profiles);
  return ini.Get(kGeneral, key);
}

bool SessionStore::WriteGeneral(std::u16string_view key, std::u16string_view value) {
  if (!prepared()) return false;
  std::u16string path = IniPath();
  if (path.empty()) return false;
  IniDocument ini(std::move(path));
  ini.Load(services_.profiles);
  ini.Set(kGeneral, key, value);
  return ini.Save(services_.files);
}

bool SessionStore::TrackHit(std::unique_ptr<Hit> hit) {
  if (!hit || !prepared() || IniPath().empty()) return false;
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
  std::u16string folder = Folder();
  if (folder.empty()) return false;
  ParamList params = BuildParamList(*tracker_, session_, hit);
  std::u16string fileName = session_.sessionId + u"." + std::u16string(kSessionExtension);
  std::u16string path = FilePath(services_.files, folder, fileName);
  if (!IsPlainFileOrMissing(services_.files, path)) return false;
  IniDocument file(std::move(path));
  file.Load(services_.profiles);
  IniSection& section = file.GetSection(std::u16string(kActivityPrefix) + hit.ActivityId());
  for (const Param& param : params.items()) section.Set(param.name, param.value);
  return file.Save(services_.files);
}

// A session file as the flush works on it: its hits from `next` on are
// still to be posted, those before it are done with (posted, or dropped by
// the folder's limits).
struct SessionStore::QueuedFile {
  std::u16string path;
  std::optional<std::int64_t> modified;
  IniDocument document;
  bool loaded = false;
  std::size_t next = 0;

  std::size_t Hits() const { return document.sections().size(); }
};

void SessionStore::FlushQueue() {
  if (!prepared()) return;
  // The budget covers the whole flush, from the first look at the folder on.
  const std::uint32_t start = services_.clock.TickCount();
  std::u16string folder = Folder();
  if (folder.empty() || IniPath().empty()) return;
  std::vector<std::u16string> paths = SessionFiles(services_.files, folder);
  for (const std::u16string& path : paths) {
    if (services_.files.Kind(path) != EntryKind::kFile) return;
  }
  bool active = EqualsNoCase(ReadGeneral(kActive), u"true");
  if (!active) {
    for (const std::u16string& path : paths) services_.files.RemoveFile(path);
    return;
  }
  tracker_->BeforeFlush();
  std::vector<QueuedFile> queue = LoadQueue(paths, start);
  PostQueue(queue, start);
  SettleQueue(queue);
  session_.sessionId.clear();
  WriteGeneral(kCurrentSession, u"");
  tracker_->AfterFlush();
}

std::vector<SessionStore::QueuedFile> SessionStore::LoadQueue(const std::vector<std::u16string>& paths,
                                                              std::uint32_t start) {
  FileSystem& files = services_.files;
  const std::int64_t now = files.Now();
  std::vector<QueuedFile> queue;
  for (const std::u16string& path : paths) {
    QueuedFile file{path, files.ModifiedTime(path), IniDocument(path)};
    if (file.modified && now - *file.modified > kKeptFileAgeSeconds) {
      files.RemoveFile(path);
      continue;
    }
    // Unsigned arithmetic keeps the elapsed time right across a wrap of the tick count.
    if (services_.clock.TickCount() - start < kFlushBudgetMs) {
      try {
        file.document.Load(services_.profiles);
        file.loaded = true;
      } catch (...) {
        // A file that cannot be read would fail every later flush too.
        files.RemoveFile(path);
        continue;
      }
    }
    queue.push_back(std::move(file));
  }
  // The newest hits are the ones kept when there are too many: newest files
  // first, and in a file the later sections.
  std::vector<QueuedFile*> byAge;
  for (QueuedFile& file : queue) {
    if (file.loaded) byAge.push_back(&file);
  }
  std::stable_sort(byAge.begin(), byAge.end(), [now](const QueuedFile* a, const QueuedFile* b) {
    return a->modified.value_or(now) > b->modified.value_or(now);
  });
  std::size_t room = kKeptHitLimit;
  for (QueuedFile* file : byAge) {
    std::size_t keep = std::min(room, file->Hits());
    file->next = file->Hits() - keep;
    room -= keep;
  }
  return queue;
}

void SessionStore::PostQueue(std::vector<QueuedFile>& queue, std::uint32_t start) {
  for (QueuedFile& file : queue) {
    if (!file.loaded) return;
    const std::vector<IniSection>& sections = file.document.sections();
    for (; file.next < sections.size(); ++file.next) {
      std::uint32_t elapsed = services_.clock.TickCount() - start;
      if (elapsed >= kFlushBudgetMs) return;
      ParamList params;
      PostOutcome outcome = PostOutcome::kPosted;
      try {
        for (const IniEntry& entry : sections[file.next].entries()) {
          bool isQueueTime = EqualsNoCase(entry.key, kQueueTime);
          params.Add(entry.key,
                     isQueueTime ? QueueAge(services_.clock.TickCount(), entry.value) : entry.value);
        }
        outcome = tracker_->Send(params, kFlushBudgetMs - elapsed);
      } catch (...) {
        // A hit that cannot be posted must not stay behind to fail every later flush.
      }
      if (outcome == PostOutcome::kNotPosted) return;
      if (outcome == PostOutcome::kUnreachable) {
        ++file.next;
        return;
      }
    }
  }
}

void SessionStore::SettleQueue(std::vector<QueuedFile>& queue) {
  FileSystem& files = services_.files;
  for (QueuedFile& file : queue) {
    if (!file.loaded) continue;
    if (file.next >= file.Hits()) {
      files.RemoveFile(file.path);
      continue;
    }
    if (file.next == 0) continue;
    const std::vector<IniSection>& sections = file.document.sections();
    // The untried hits are written back as they were stored, queue time included.
    IniDocument rest(file.path);
    for (std::size_t i = file.next; i < sections.size(); ++i) {
      IniSection& section = rest.GetSection(sections[i].name());
      for (const IniEntry& entry : sections[i].entries()) section.Set(entry.key, entry.value);
    }
    if (rest.Text().empty()) {
      files.RemoveFile(file.path);
      continue;
    }
    // The file keeps the age of its newest hit, which bounds how long it stays.
    if (rest.Save(files) && file.modified) files.SetModifiedTime(file.path, *file.modified);
  }
}

}  // namespace plumeta

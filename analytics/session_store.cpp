#include "analytics/session_store.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "analytics/ini_document.h"
#include "analytics/numbers.h"
#include "analytics/profile_reader.h"
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

// The file's document; empty when it is missing or cannot be read.
IniDocument LoadFile(Folder& folder, std::u16string_view name) {
  IniDocument document{std::u16string(name)};
  if (auto bytes = folder.Read(name, kSessionFileLimit)) {
    document.Assign(ParseProfileText(DecodeProfileBytes(*bytes)));
  }
  return document;
}

// A plain file of a single link, or nothing yet: never a link, a folder or
// a file that is also elsewhere.
bool PlainOrMissing(Folder& folder, std::u16string_view name) {
  FileFacts facts = folder.Facts(name);
  return facts.kind == EntryKind::kMissing || (facts.kind == EntryKind::kFile && facts.links == 1);
}

// An empty text leaves the file as it is.
bool Save(Folder& folder, const IniDocument& document) {
  return document.Text().empty() || folder.Write(document.path(), document.Bytes());
}

}  // namespace

void SessionStore::Prepare(Tracker& tracker, AppInfo app, std::u16string clientId) {
  tracker_ = &tracker;
  session_ = TrackingSession{std::move(app), std::move(clientId), NewSessionId(), {}};
  // The id names a file, so only an id of the shape this store writes is
  // taken over.
  std::u16string current = ReadGeneral(kCurrentSession);
  if (IsGuidText(current)) session_.sessionId = std::move(current);
}

std::unique_ptr<Folder> SessionStore::OpenFolder() {
  FolderRefusal why = FolderRefusal::kNone;
  std::unique_ptr<Folder> folder =
      OpenStorageFolder(services_.files, session_.app.productName, session_.app.productVersion, why);
  if (folder && !PlainOrMissing(*folder, kTrackingIniName)) {
    folder.reset();
    why = FolderRefusal::kNotAFolder;
  }
  if (!folder) report_.refusal = why;
  return folder;
}

StoreReport SessionStore::TakeReport() {
  StoreReport report = report_;
  report_ = {};
  return report;
}

std::u16string SessionStore::NewSessionId() {
  return GuidText(services_.guids.NewGuid());
}

std::u16string SessionStore::ReadGeneral(std::u16string_view key) {
  if (!prepared()) return {};
  std::unique_ptr<Folder> folder = OpenFolder();
  return folder ? ReadGeneralIn(*folder, key) : std::u16string();
}

std::u16string SessionStore::ReadGeneralIn(Folder& folder, std::u16string_view key) {
  return LoadFile(folder, kTrackingIniName).Get(kGeneral, key);
}

bool SessionStore::WriteGeneral(std::u16string_view key, std::u16string_view value) {
  if (!prepared()) return false;
  std::unique_ptr<Folder> folder = OpenFolder();
  return folder && WriteGeneralIn(*folder, key, value);
}

bool SessionStore::WriteGeneralIn(Folder& folder, std::u16string_view key, std::u16string_view value) {
  std::unique_ptr<FolderLock> lock = folder.Lock(kLockName, kLockWaitMs);
  if (!lock || !PlainOrMissing(folder, kTrackingIniName)) return false;
  IniDocument ini = LoadFile(folder, kTrackingIniName);
  ini.Set(kGeneral, key, value);
  return Save(folder, ini);
}

void SessionStore::ClearCurrentSession(Folder& folder, std::u16string_view session) {
  std::unique_ptr<FolderLock> lock = folder.Lock(kLockName, kLockWaitMs);
  if (!lock || !PlainOrMissing(folder, kTrackingIniName)) return;
  IniDocument ini = LoadFile(folder, kTrackingIniName);
  if (!EqualsNoCase(ini.Get(kGeneral, kCurrentSession), session)) return;
  ini.Set(kGeneral, kCurrentSession, u"");
  Save(folder, ini);
}

bool SessionStore::TrackHit(std::unique_ptr<Hit> hit) {
  if (!hit || !prepared()) return false;
  std::unique_ptr<Folder> folder = OpenFolder();
  if (!folder) return false;
  if (hit->StartsSession()) {
    session_.sessionId = NewSessionId();
    WriteGeneralIn(*folder, kCurrentSession, session_.sessionId);
  }
  if (!hit->ContentDescription().empty()) {
    session_.contentDescription = hit->ContentDescription();
  } else {
    hit->SetContentDescription(session_.contentDescription);
  }
  bool saved = StoreParams(*folder, *hit);
  if (hit->EndsSession()) {
    session_.sessionId = NewSessionId();
    WriteGeneralIn(*folder, kCurrentSession, session_.sessionId);
  }
  kept_.push_back(std::move(hit));
  if (saved) ++report_.stored;
  return saved;
}

bool SessionStore::StoreParams(Folder& folder, const Hit& hit) {
  ParamList params = BuildParamList(*tracker_, session_, hit);
  std::u16string name = session_.sessionId + u"." + std::u16string(kSessionExtension);
  // Under the lock a flush cannot take the file between its reading and
  // its rewriting; once taken, the name is free and a new file begins.
  std::unique_ptr<FolderLock> lock = folder.Lock(kLockName, kLockWaitMs);
  if (!lock || !PlainOrMissing(folder, name)) return false;
  IniDocument file = LoadFile(folder, name);
  IniSection& section = file.GetSection(std::u16string(kActivityPrefix) + hit.ActivityId());
  for (const Param& param : params.items()) section.Set(param.name, param.value);
  return Save(folder, file);
}

// A session file as the flush works on it, under the name it was claimed
// by: its hits from `next` on are still to be posted, those before it are
// done with (posted, or dropped by the folder's limits).
struct SessionStore::QueuedFile {
  std::u16string claim;
  std::u16string original;
  std::int64_t modified = 0;
  IniDocument document{u""};
  bool loaded = false;
  std::size_t next = 0;

  std::size_t Hits() const { return document.sections().size(); }
};

void SessionStore::FlushQueue() {
  if (!prepared()) return;
  // The budget covers the whole flush, from the first look at the folder on.
  const std::uint32_t start = services_.clock.TickCount();
  std::unique_ptr<Folder> folder = OpenFolder();
  if (!folder) return;
  report_.flushed = true;
  const std::u16string session = session_.sessionId;
  bool active = EqualsNoCase(ReadGeneralIn(*folder, kActive), u"true");
  std::vector<QueuedFile> queue = ClaimQueue(*folder);
  if (!active) {
    DeleteUnsent(*folder, queue);
    report_.flushMs = services_.clock.TickCount() - start;
    return;
  }
  tracker_->BeforeFlush();
  LoadQueue(*folder, queue, start);
  PostQueue(queue, start);
  SettleQueue(*folder, queue);
  session_.sessionId.clear();
  ClearCurrentSession(*folder, session);
  tracker_->AfterFlush();
  report_.flushMs = services_.clock.TickCount() - start;
}

std::vector<SessionStore::QueuedFile> SessionStore::ClaimQueue(Folder& folder) {
  std::optional<std::vector<FolderEntry>> entries = folder.List();
  if (!entries) return {};
  const std::int64_t now = services_.files.Now();
  std::unique_ptr<FolderLock> lock = folder.Lock(kLockName, kLockWaitMs);
  if (!lock) return {};
  // (name, name before any claim): the session files, and the claims of
  // flushes that never ended.
  std::vector<std::pair<std::u16string, std::u16string>> candidates;
  for (FolderEntry& entry : *entries) {
    if (entry.isDirectory) continue;
    if (IsPendingName(entry.name)) {
      FileFacts facts = folder.Facts(entry.name);
      if (facts.kind == EntryKind::kFile && now - facts.modified > kLeftoverSeconds)
        folder.Remove(entry.name);
    } else if (std::optional<Claim> claim = ParseClaimName(entry.name)) {
      if (now - claim->seconds > kLeftoverSeconds) candidates.emplace_back(entry.name, claim->original);
    } else if (IsSessionFileName(entry.name)) {
      candidates.emplace_back(entry.name, entry.name);
    }
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const auto& a, const auto& b) { return ListedBefore(a.second, b.second); });
  std::vector<QueuedFile> queue;
  for (const auto& [name, original] : candidates) {
    FileFacts facts = folder.Facts(name);
    // Whatever is not a plain file of its own is left alone, and the rest
    // of the folder still flushed.
    if (facts.kind != EntryKind::kFile || facts.links != 1) continue;
    if (facts.size > kSessionFileLimit) {
      if (folder.Remove(name)) ++report_.dropped;
      continue;
    }
    std::u16string claim = ClaimName(original, now, folder.UniqueText());
    if (folder.Rename(name, claim)) queue.push_back({claim, original, facts.modified});
  }
  return queue;
}

void SessionStore::DeleteUnsent(Folder& folder, std::vector<QueuedFile>& queue) {
  for (QueuedFile& file : queue) {
    std::size_t hits = LoadFile(folder, file.claim).sections().size();
    if (folder.Remove(file.claim)) report_.deletedUnsent += hits;
  }
}

void SessionStore::LoadQueue(Folder& folder, std::vector<QueuedFile>& queue, std::uint32_t start) {
  const std::int64_t now = services_.files.Now();
  for (QueuedFile& file : queue) {
    bool expired = now - file.modified > kKeptFileAgeSeconds;
    // Unsigned arithmetic keeps the elapsed time right across a wrap of the tick count.
    if (!expired && services_.clock.TickCount() - start >= kFlushBudgetMs) continue;
    std::optional<std::string> bytes = folder.Read(file.claim, kSessionFileLimit);
    if (bytes) file.document.Assign(ParseProfileText(DecodeProfileBytes(*bytes)));
    // A file that cannot be read would fail every later flush too.
    if (expired || !bytes) {
      if (folder.Remove(file.claim)) report_.dropped += bytes ? file.Hits() : 1;
      continue;
    }
    file.loaded = true;
  }
  // The newest hits are the ones kept when there are too many: newest files
  // first, and in a file the later sections.
  std::vector<QueuedFile*> byAge;
  for (QueuedFile& file : queue) {
    if (file.loaded) byAge.push_back(&file);
  }
  std::stable_sort(byAge.begin(), byAge.end(),
                   [](const QueuedFile* a, const QueuedFile* b) { return a->modified > b->modified; });
  std::size_t room = kKeptHitLimit;
  for (QueuedFile* file : byAge) {
    std::size_t keep = std::min(room, file->Hits());
    file->next = file->Hits() - keep;
    report_.dropped += file->next;
    room -= keep;
  }
}

void SessionStore::PostQueue(std::vector<QueuedFile>& queue, std::uint32_t start) {
  for (QueuedFile& file : queue) {
    if (!file.loaded) continue;
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
        ++report_.dropped;
        continue;
      }
      if (outcome == PostOutcome::kNotPosted) return;
      if (outcome == PostOutcome::kRejected) {
        // Sent again it would be refused again, and hold up every hit behind it.
        ++report_.rejected;
        continue;
      }
      ++report_.posted;
      if (outcome == PostOutcome::kUnreachable) {
        ++file.next;
        return;
      }
    }
  }
}

void SessionStore::SettleQueue(Folder& folder, std::vector<QueuedFile>& queue) {
  for (QueuedFile& file : queue) {
    if (!file.loaded) {
      GiveBack(folder, file);
      continue;
    }
    if (file.next >= file.Hits()) {
      folder.Remove(file.claim);
      continue;
    }
    report_.kept += file.Hits() - file.next;
    if (file.next == 0) {
      GiveBack(folder, file);
      continue;
    }
    const std::vector<IniSection>& sections = file.document.sections();
    // The untried hits are written back as they were stored, queue time included.
    IniDocument rest(file.claim);
    for (std::size_t i = file.next; i < sections.size(); ++i) {
      IniSection& section = rest.GetSection(sections[i].name());
      for (const IniEntry& entry : sections[i].entries()) section.Set(entry.key, entry.value);
    }
    if (rest.Text().empty()) {
      folder.Remove(file.claim);
      continue;
    }
    // The file keeps the age of its newest hit, which bounds how long it stays.
    if (Save(folder, rest)) {
      folder.SetModifiedTime(file.claim, file.modified);
      GiveBack(folder, file);
    }
  }
}

void SessionStore::GiveBack(Folder& folder, const QueuedFile& file) {
  // A writer may have begun a new file under the old name meanwhile.
  if (!folder.Rename(file.claim, file.original)) {
    folder.Rename(file.claim, folder.UniqueText() + u"." + std::u16string(kSessionExtension));
  }
}

}  // namespace plumeta

#pragma once
// The offline queue: every tracked hit is written into the session file of
// the current session, and all session files are sent, or thrown away when
// sending is off, in one pass at the end of an installation. The files are
// also how the custom actions of one installation, each possibly in a
// freshly loaded copy of the library, share the session id and the switch.
//
// Files in the storage folder:
//   "tracking.ini"  section "General": "Active" ("true"/"false") and
//                   "Current Session" (the session id, absent after a flush)
//   "<session id>.session"  one section "Activity <activity id>" per hit,
//                   one entry per parameter, by display name.
//   "tracking.lock"  empty; stands for the folder's lock
//   "<file>.<seconds>-<unique>.claimed"  a session file a flush has taken
//   "<file>.<unique>.new"  a rewrite being written
//
// A flush never holds an installation long: it ends once it has run for
// kFlushBudgetMs, a post has found the endpoint unreachable, or the
// endpoint answered that it cannot take a hit now (5xx, 429, 408, a
// redirect). The hits it did not get to stay in their files for the next
// flush; the folder keeps at most kKeptHitLimit of them, none older than
// kKeptFileAgeSeconds, and no session file over kSessionFileLimit bytes.
//
// Several processes may work in one folder at once (two packages of a
// bundle, the embedded handler beside the custom actions). Every change of
// a file is made under the folder's lock ("tracking.lock"), and a flush
// takes each session file for itself by renaming it before reading it, so
// a hit is neither lost nor posted twice; a writer whose file was taken
// starts a new one.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analytics/file_system.h"
#include "analytics/hit.h"
#include "analytics/system_services.h"
#include "analytics/tracker.h"

namespace plumeta {

inline constexpr std::uint32_t kFlushBudgetMs = 6000;
inline constexpr std::size_t kKeptHitLimit = 1000;
inline constexpr std::int64_t kKeptFileAgeSeconds = 30 * 24 * 60 * 60;
inline constexpr std::uint64_t kSessionFileLimit = 2 * 1024 * 1024;
// How long a change waits for the folder's lock before it gives up.
inline constexpr std::uint32_t kLockWaitMs = 1000;
// After this long a pending write or a flush's claim was left by a process
// that ended without finishing it.
inline constexpr std::int64_t kLeftoverSeconds = 60;

// What the store did since the last TakeReport.
struct StoreReport {
  std::size_t stored = 0;  // hits saved in a session file
  bool flushed = false;
  std::size_t posted = 0;         // hits that went out
  std::size_t rejected = 0;       // hits the endpoint refused, given up
  std::size_t kept = 0;           // hits left for the next flush
  std::size_t dropped = 0;        // hits (or unread files) given up by the folder's limits
  std::size_t deletedUnsent = 0;  // hits deleted because sending is off
  std::uint32_t flushMs = 0;
  FolderRefusal refusal = FolderRefusal::kNone;  // why the folder was not used
};

struct StoreServices {
  FileSystem& files;
  Clock& clock;
  GuidSource& guids;
};

class SessionStore {
 public:
  explicit SessionStore(StoreServices services) : services_(services) {}

  // Makes `tracker` the one hits are built and sent with and starts a new
  // session for `app`: the given client id, a fresh session id and no
  // content description. A session id left in "Current Session" by an
  // earlier custom action of the installation replaces the fresh one when
  // it is GUID text.
  void Prepare(Tracker& tracker, AppInfo app, std::u16string clientId);
  bool prepared() const { return tracker_ != nullptr; }
  const TrackingSession& session() const { return session_; }

  // Stores the hit in the current session file and keeps it. True when the
  // file was saved. Without a prepared tracker the hit is dropped.
  bool TrackHit(std::unique_ptr<Hit> hit);
  // Posts every hit of the folder's session files once, as far as the
  // flush's limits allow, and removes what was posted; or deletes every
  // session file unsent when "Active" is not "true". Does nothing
  // unprepared, or when the folder or "tracking.ini" is not plain; a
  // session file that is not a plain file of a single link is left alone.
  void FlushQueue();

  // A value of section "General" of "tracking.ini"; empty when missing.
  std::u16string ReadGeneral(std::u16string_view key);
  bool WriteGeneral(std::u16string_view key, std::u16string_view value);

  std::size_t keptHits() const { return kept_.size(); }
  // What was done since the last call, and a fresh start.
  StoreReport TakeReport();

 private:
  struct QueuedFile;

  std::u16string NewSessionId();
  // The storage folder, held by the caller until its call ends; null (and
  // the reason noted) when it is refused, or when its "tracking.ini" is
  // not a plain file.
  std::unique_ptr<Folder> OpenFolder();
  std::u16string ReadGeneralIn(Folder& folder, std::u16string_view key);
  bool WriteGeneralIn(Folder& folder, std::u16string_view key, std::u16string_view value);
  // Clears "Current Session" when it still names `session`: another
  // process may have started a session of its own since.
  void ClearCurrentSession(Folder& folder, std::u16string_view session);
  bool StoreParams(Folder& folder, const Hit& hit);
  std::vector<QueuedFile> ClaimQueue(Folder& folder);
  void DeleteUnsent(Folder& folder, std::vector<QueuedFile>& queue);
  void LoadQueue(Folder& folder, std::vector<QueuedFile>& queue, std::uint32_t start);
  void PostQueue(std::vector<QueuedFile>& queue, std::uint32_t start);
  void SettleQueue(Folder& folder, std::vector<QueuedFile>& queue);
  void GiveBack(Folder& folder, const QueuedFile& file);

  StoreServices services_;
  Tracker* tracker_ = nullptr;
  TrackingSession session_;
  // Tracked hits live as long as the store.
  std::vector<std::unique_ptr<Hit>> kept_;
  StoreReport report_;
};

}  // namespace plumeta

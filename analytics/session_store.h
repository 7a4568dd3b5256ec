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
//
// A flush never holds an installation long: it ends once it has run for
// kFlushBudgetMs or a post has found the endpoint unreachable. The hits it
// did not get to stay in their files for the next flush; the folder keeps
// at most kKeptHitLimit of them, none older than kKeptFileAgeSeconds.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analytics/file_system.h"
#include "analytics/hit.h"
#include "analytics/profile_reader.h"
#include "analytics/system_services.h"
#include "analytics/tracker.h"

namespace plumeta {

inline constexpr std::uint32_t kFlushBudgetMs = 6000;
inline constexpr std::size_t kKeptHitLimit = 1000;
inline constexpr std::int64_t kKeptFileAgeSeconds = 30 * 24 * 60 * 60;

struct StoreServices {
  FileSystem& files;
  ProfileReader& profiles;
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
  // unprepared, or when the folder, "tracking.ini" or a session file is
  // not plain.
  void FlushQueue();

  // A value of section "General" of "tracking.ini"; empty when missing.
  std::u16string ReadGeneral(std::u16string_view key);
  bool WriteGeneral(std::u16string_view key, std::u16string_view value);

  // The storage folder of the prepared application, created when missing;
  // empty when it is no plain folder of its own (see StorageFolder).
  std::u16string Folder();
  std::size_t keptHits() const { return kept_.size(); }

 private:
  struct QueuedFile;

  std::u16string NewSessionId();
  // "tracking.ini" of the folder, or empty when the folder or the file is not plain.
  std::u16string IniPath();
  bool StoreParams(const Hit& hit);
  std::vector<QueuedFile> LoadQueue(const std::vector<std::u16string>& paths, std::uint32_t start);
  void PostQueue(std::vector<QueuedFile>& queue, std::uint32_t start);
  void SettleQueue(std::vector<QueuedFile>& queue);

  StoreServices services_;
  Tracker* tracker_ = nullptr;
  TrackingSession session_;
  // Tracked hits live as long as the store.
  std::vector<std::unique_ptr<Hit>> kept_;
};

}  // namespace plumeta

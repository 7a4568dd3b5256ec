// A session file from anywhere (the storage folder may be writable by other
// users) as the flush reads it: every section becomes a post through the
// form client. With a collector that takes every post and a clock that does
// not move, nothing may be left in the folder afterwards.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "analytics/session_store.h"
#include "analytics/storage_paths.h"
#include "analytics/tracker.h"
#include "plumeta_support.h"

using namespace plumeta;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseScratchTempFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::Storage storage;
  int posts = 0;
  Tracker tracker(std::make_unique<HttpFormClient>(std::make_unique<fuzz::AcceptingSender>(posts)),
                  u"http://collector.test");
  SessionStore store(StoreServices{*storage.files, storage.clock, storage.guids});
  store.Prepare(tracker, AppInfo{u"APP-7", u"Vorsant", u"Vorsant", u"6.1.0"}, u"CID");
  if (!store.WriteGeneral(u"Active", u"true")) std::abort();
  const std::u16string folder = StorageFolder(*storage.files, u"Vorsant", u"6.1.0");
  if (folder.empty()) std::abort();

  const std::u16string file =
      FilePath(*storage.files, folder, u"{0000000A-0000-0000-0000-000000000000}.session");
  if (!storage.files->WriteBytes(file, std::string_view(reinterpret_cast<const char*>(data), size))) {
    std::abort();
  }
  store.FlushQueue();
  if (!SessionFiles(*storage.files, folder).empty()) std::abort();
  return 0;
}

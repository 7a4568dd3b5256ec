// An ini file from anywhere ("tracking.ini" lies in a folder other users may
// write to): decoded and parsed as the profile reader does, then loaded into
// an IniDocument, written in both encodings and read back. A document once
// written reads back as the same text.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "analytics/ini_document.h"
#include "analytics/profile_reader.h"
#include "plumeta_support.h"

using namespace plumeta;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseScratchTempFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::Storage storage;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)ParseProfileText(DecodeProfileBytes(bytes));

  const std::u16string path = storage.files->TempFolder() + u"tracking.ini";
  if (!storage.files->WriteBytes(path, bytes)) std::abort();
  IniDocument doc(path);
  doc.Load(*storage.profiles);
  doc.Set(u"General", u"Current Session", u"{00000001-0000-0000-0000-000000000000}");
  (void)doc.Get(u"General", u"Active");

  // Writing turns control characters of values into blanks, so the text
  // once written, not the input's, must survive a second round unchanged.
  for (bool wide : {false, true}) {
    doc.wide = wide;
    if (!doc.Save(*storage.files)) std::abort();
    IniDocument again(path);
    again.Load(*storage.profiles);
    again.wide = wide;
    if (!again.Save(*storage.files)) std::abort();
    IniDocument twice(path);
    twice.Load(*storage.profiles);
    if (twice.Text() != again.Text() && wide) std::abort();
  }
  return 0;
}

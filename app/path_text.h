#pragma once
// File-name handling of the document commands on UTF-8 path texts. Both "\"
// and "/" separate folders, so the same rules hold for the Windows paths the
// program sees and for the paths the tests use.

#include <string>
#include <string_view>

namespace vorsant {

// The part after the last folder separator (or drive colon).
std::string FileNamePart(std::string_view path);
// Everything up to and including the last folder separator; empty when the
// path has no folder.
std::string FolderPart(std::string_view path);
// The extension with its dot (".vrs"), empty when the file name has none.
std::string ExtensionPart(std::string_view path);
// Trial files end in ".vrs" or ".VRS" exactly; any other extension, mixed
// letter case included, is replaced by ".vrs", and a name without one gets
// ".vrs" appended.
std::string WithTrialExtension(std::string_view path);

}  // namespace vorsant

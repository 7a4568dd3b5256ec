#include "install_fakes.h"

#include "analytics/storage_paths.h"

namespace plumeta::testing {

Fields ParseBody(const FormRequest& request) {
  Fields fields;
  for (std::string field : request.fields) {
    if (!field.empty() && field.back() == '&') field.pop_back();
    std::size_t eq = field.find('=');
    fields.emplace_back(field.substr(0, eq), eq == std::string::npos ? "" : field.substr(eq + 1));
  }
  return fields;
}

std::string FieldOf(const Fields& fields, const std::string& key) {
  for (const auto& [k, v] : fields) {
    if (k == key) return v;
  }
  return "<none>";
}

InstallTest::InstallTest()
    : files_(scratch_.path()),
      reader_(MakeSystemProfileReader(files_)),
      analytics_(Platform{files_, clock_, guids_, machine_, display_, true,
                          [this](const std::u16string& agent) -> std::unique_ptr<FormSender> {
                            userAgents_.push_back(agent);
                            return std::make_unique<ScriptedSender>(
                                [this](const FormRequest& r) { return onSend_(r); });
                          },
                          u"http://default.test"}) {
  onSend_ = [this](const FormRequest& r) {
    requests_.push_back(r);
    return FormResponse{200, u""};
  };
}

void InstallTest::StandardProperties() {
  installer_.properties = {
      {u"ProductName", u"Vorsant"}, {u"ProductVersion", u"6.1.0"}, {u"OX_TR_APPLICATION_ID", u"APP-7"},
      {u"OX_TR_ENABLE", u"1"},      {u"VersionNT", u"601"},        {u"WindowsBuild", u"7601"}};
  installer_.trueConditions = {u"NOT Installed"};
}

std::vector<Fields> InstallTest::Hits() const {
  std::vector<Fields> hits;
  for (const FormRequest& r : requests_) hits.push_back(ParseBody(r));
  return hits;
}

std::vector<std::string> InstallTest::Values(const std::string& key) const {
  std::vector<std::string> values;
  for (const Fields& hit : Hits()) values.push_back(FieldOf(hit, key));
  return values;
}

std::u16string InstallTest::Folder() {
  return StorageFolder(files_, installer_.Property(u"ProductName"), installer_.Property(u"ProductVersion"));
}

std::vector<std::u16string> InstallTest::SessionFilesLeft() {
  std::vector<std::u16string> names;
  for (const std::u16string& path : SessionFiles(files_, Folder())) names.push_back(path);
  return names;
}

}  // namespace plumeta::testing

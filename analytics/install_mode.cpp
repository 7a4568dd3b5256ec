#include "analytics/install_mode.h"

namespace plumeta {

const ModeRule kInstallModeRules[7] = {
    {u"NOT Installed", u"install"},
    {u"Installed AND (REMOVE<>\"ALL\")", u"maintenance"},
    {u"Installed AND ((REMOVE=\"ALL\") OR (OX_INSTALL_MODE=\"Remove\"))", u"uninstall"},
    {u"UPGRADINGPRODUCTCODE", u"uninstallbyupgrade"},
    {u"OLDPRODUCTS", u"upgrade"},
    {u"PATCH AND PATCH<>\"MEDIASRCPROPNAME\"", u"patch"},
    {u"(NOT Installed) AND (OX_UPGRADE=\"No\") AND OLDPRODUCTS", u"installsbs"},
};

std::u16string DetectInstallMode(Installer& installer) {
  std::u16string mode;
  for (const ModeRule& rule : kInstallModeRules) {
    if (installer.EvaluateCondition(rule.condition)) mode = rule.word;
  }
  return mode;
}

}  // namespace plumeta

#include "collector/database_target.h"

#include <libpq-fe.h>

#include <memory>

namespace collector {

std::string DescribeDatabase(const std::string& url) {
  if (url.starts_with("sqlite:")) return url;
  char* error = nullptr;
  std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(PQconninfoParse(url.c_str(), &error),
                                                                       &PQconninfoFree);
  if (error) PQfreemem(error);
  if (!options) return "postgresql://(a URL libpq cannot read)";
  std::string user, host, port, dbname;
  for (PQconninfoOption* o = options.get(); o->keyword; ++o) {
    if (!o->val) continue;
    std::string keyword = o->keyword;
    if (keyword == "user") user = o->val;
    if (keyword == "host") host = o->val;
    if (keyword == "port") port = o->val;
    if (keyword == "dbname") dbname = o->val;
  }
  // A socket directory as host is shown as a parameter, as a URI must.
  bool socket = host.starts_with("/");
  if (socket) {
    return "postgresql://" + (user.empty() ? "" : user + "@") + "/" + dbname + "?host=" + host +
           (port.empty() ? "" : "&port=" + port);
  }
  return "postgresql://" + (user.empty() ? "" : user + "@") + host + (port.empty() ? "" : ":" + port) + "/" + dbname;
}

}  // namespace collector

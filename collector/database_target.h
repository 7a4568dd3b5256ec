#pragma once
// What a database URL names, for messages: "sqlite:PATH", or for
// PostgreSQL the user, host, port and database as libpq reads them. A
// password, in the user part or as a parameter, is never in it.

#include <string>

namespace collector {

std::string DescribeDatabase(const std::string& url);

}  // namespace collector

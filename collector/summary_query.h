#pragma once
// The figures of a set of sessions as the database computes them: every
// list grouped, ranked and cut to its first rows there (GROUP BY, ORDER BY
// the count, LIMIT), its other rows summed into one, so that a summary
// costs memory for what it shows and never for how many distinct values
// the sessions hold.

#include <string>
#include <vector>

#include "collector/sql_connection.h"
#include "collector/summary.h"

namespace collector {

// `where` is " WHERE ..." over the sessions table as `s`, with `params`.
// Leaves `rejected` and `errors`, which come from other tables, empty.
Summary QuerySummary(SqlConnection& db, const std::string& where, const std::vector<SqlValue>& params);

}  // namespace collector

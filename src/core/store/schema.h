#pragma once
// The store's schema as its migrations, per backend.
#include <string>
#include <vector>

#include "core/store/sql_connection.h"

namespace tessaly::store::detail {

// Element i brings a store from version i to i + 1 (element 0 makes version 1 from nothing); each
// sets schema_version itself. There are kSchemaVersion of them.
std::vector<std::string> migrations(Dialect dialect);

}  // namespace tessaly::store::detail

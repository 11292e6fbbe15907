#include "db/ImportTables.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::importtables {} // namespace db::importtables

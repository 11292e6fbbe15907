#include "db/Placements.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::placements {} // namespace db::placements

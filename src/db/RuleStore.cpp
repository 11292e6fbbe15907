#include "db/RuleStore.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::rules {} // namespace db::rules

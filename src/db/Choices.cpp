#include "db/Choices.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::choices {} // namespace db::choices

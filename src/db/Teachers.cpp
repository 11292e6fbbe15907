#include "db/Teachers.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::teachers {} // namespace db::teachers

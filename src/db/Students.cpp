#include "db/Students.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::students {} // namespace db::students

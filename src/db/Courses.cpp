#include "db/Courses.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::courses {} // namespace db::courses

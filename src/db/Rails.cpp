#include "db/Rails.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::rails {} // namespace db::rails

#include "db/VariantStore.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::variants {} // namespace db::variants

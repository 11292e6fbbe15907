#include "db/Queries.h"

namespace db {

int startYear(const QString& schjBez) {
    return schjBez.left(4).toInt();
}

} // namespace db

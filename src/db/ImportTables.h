#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway the administration import writes through: the nine tables filled from the container.
namespace db {

class Connection;

namespace importtables {} // namespace importtables
} // namespace db

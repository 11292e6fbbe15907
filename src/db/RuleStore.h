#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of the planner's rules (table regel): stored, listed, removed.
namespace db {

class Connection;

namespace rules {} // namespace rules
} // namespace db

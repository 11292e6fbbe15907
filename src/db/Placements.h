#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table ckkurs: which course lies on which rail, and whether it is fixed.
namespace db {

class Connection;

namespace placements {} // namespace placements
} // namespace db

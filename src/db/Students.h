#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table kolleg: the students of a cohort with their names and classes.
namespace db {

class Connection;

namespace students {} // namespace students
} // namespace db

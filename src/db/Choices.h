#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table belegung: the students' choices and the course each holds in year group 12
// or 13.
namespace db {

class Connection;

namespace choices {} // namespace choices
} // namespace db

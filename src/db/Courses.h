#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table kurs: the courses of a school year, their parallels, limits and teachers.
namespace db {

class Connection;

namespace courses {} // namespace courses
} // namespace db

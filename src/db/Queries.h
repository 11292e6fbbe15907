#pragma once

#include <QString>

// The questions the subsystems ask about the school year and the choices, answered in one place:
// how the school year's designation, a cohort's course phase, its year group and the course field
// of belegung belong together. A new query on choices, courses or the school year goes here.
namespace db {

// The year the school year of the designation ("2009/2010") starts in: its first four
// characters as a number, 0 when they are none.
int startYear(const QString& schjBez);

} // namespace db

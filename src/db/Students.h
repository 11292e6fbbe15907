#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The gateway of table kolleg: the students of a cohort with their names and classes.
namespace db {

class Connection;

namespace students {

// The automatic blocking's reads of students (blocking/Model.cpp, Rules.cpp).

struct Person {
    QString key;           // KO_VFP_ID
    QString familyName;    // KO_FAMNAME
    QString firstName;     // KO_RUFNAME
    QString phase;         // KO_KURSPH
    QString parallelClass; // KO_PARLLKL
};
// Every student in stored order (KO_ID).
std::vector<Person> all(Connection& c);
// The keys of the students whose trimmed key is key (letter case ignored).
QStringList keysLike(Connection& c, const QString& key);
// The trimmed key of the student of that key, with " (Name, Vorname)" after it where withName;
// none when he is gone.
std::optional<QString> designation(Connection& c, const QString& key, bool withName);
// Every student as "KEY  Name, Vorname", by name.
QStringList listing(Connection& c);

} // namespace students
} // namespace db

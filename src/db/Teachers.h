#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table lehrer and of the courses' teachers (KS_LE_ID).
namespace db {

class Connection;

namespace teachers {

// The Kurs42 exchange's teachers.
struct Teacher {
    QString key, kuerz; // LE_VFP_ID, LE_KUERZ
};
// Every teacher, in stored order.
std::vector<Teacher> inStoredOrder(Connection& c);
// A new teacher of that abbreviation, name and key.
void add(Connection& c, const QString& kuerz, const QString& name, const QString& key);

} // namespace teachers
} // namespace db

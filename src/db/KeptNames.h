#pragma once

#include <QString>
#include <QStringList>

namespace db {

class Connection;

// What another program's blocking named that the nine tables cannot hold: its long names
// (course names beyond KS_BEZ's 6 characters, subject abbreviations beyond FA_PSCHL's 4, rail
// names beyond BL_BEZ's 6) and the values of its rows we do not keep otherwise, for handing the
// plan back. Kept in the table fremdname, ours like the rules' table: one row per kind and key
// of the row it belongs to (KS_VFP_ID, FA_VFP_ID, BL_VFP_ID, KO_VFP_ID, BG_VFP_ID, LE_VFP_ID,
// SJ_VFP_ID), created where missing. A file without the table simply names nothing.
namespace kept {

inline const QString kCourse = QStringLiteral("Kurs");
inline const QString kSubject = QStringLiteral("Fach");
inline const QString kRail = QStringLiteral("Schiene");
inline const QString kStudent = QStringLiteral("Schueler");
inline const QString kChoice = QStringLiteral("Wahl");
inline const QString kTeacher = QStringLiteral("Lehrer");
inline const QString kBlocking = QStringLiteral("Blockung");

void createTable(Connection& c);
// Stores name and data (JSON text) for the row of that kind and key, replacing what was kept.
void put(Connection& c, const QString& kind, const QString& key, const QString& name,
         const QString& data);

struct Entry {
    QString name;
    QString data;
    bool found = false;
};
Entry get(Connection& c, const QString& kind, const QString& key);

// The keys of the rows of that kind whose kept name is name (trimmed, letter case ignored);
// none in a file without the table.
QStringList keysNamed(Connection& c, const QString& kind, const QString& name);

// Forgets what was kept for the row of that kind and key (its row deleted).
void drop(Connection& c, const QString& kind, const QString& key);

} // namespace kept
} // namespace db

#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

// The gateway of table kurs: the courses of a school year, their parallels, limits and teachers.
namespace db {

class Connection;

namespace courses {

// The automatic blocking's reads of courses and subjects (blocking/Model.cpp, Rules.cpp).

// A course of the school year as the blocking reads it: KS_STD, KS_MIN and KS_MAX as stored.
struct BlockingCourse {
    QString key;          // KS_VFP_ID
    QString name;         // KS_BEZ
    QStringList subjects; // KS_FA_ID1..4, as stored (NULL as "")
    QString yearCode;     // KS_JGST
    QString kind;         // KS_LKGK
    QVariant hours;       // KS_STD
    QVariant min;
    QVariant max;
    QString teacherKey; // KS_LE_ID
};
// The courses of the school year in the workspace's order (KS_SORT, KS_ID).
std::vector<BlockingCourse> ofSchoolYear(Connection& c, const QString& schoolYear);

// The keys of the school year's courses whose designation is name (trimmed, letter case
// ignored), in the workspace's order.
QStringList keysNamed(Connection& c, const QString& schoolYear, const QString& name);
bool exists(Connection& c, const QString& schoolYear, const QString& key);
// The trimmed designation of the course of that key; none when it is gone.
std::optional<QString> designation(Connection& c, const QString& schoolYear, const QString& key);
// The designations of the school year's courses that have one, in the workspace's order.
QStringList designations(Connection& c, const QString& schoolYear);

// A subject of the offer (fachang) as stored.
struct Subject {
    QString key;    // FA_VFP_ID
    QVariant hours; // FA_STDGK
    QString phase;  // FA_KURSPH
    QString name;   // FA_BEZ
};
std::vector<Subject> subjects(Connection& c);
// The subjects whose key in the administration's plan (FA_PSCHL) is pschl (trimmed, letter
// case ignored): FA_VFP_ID and the trimmed abbreviation.
std::vector<std::pair<QString, QString>> subjectsOfPlanKey(Connection& c, const QString& pschl);
// The trimmed FA_PSCHL of the subjects whose FA_PSCHL or abbreviation is name (letter case
// ignored), in stored order.
QStringList planKeysNamed(Connection& c, const QString& name);
// The abbreviation of the subject of that FA_PSCHL, its key where it has none; none when no
// subject has the key.
std::optional<QString> subjectAbbreviation(Connection& c, const QString& pschl);
// Every FA_PSCHL with its abbreviation after two blanks, sorted, each once.
QStringList subjectListing(Connection& c);

} // namespace courses
} // namespace db

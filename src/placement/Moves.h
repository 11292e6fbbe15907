#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace db {
class Connection;
}

// Moving students between parallel courses. A move rewrites one course field of one choice
// row: the course field of year group 12 for a student in phase 1, of year group 13 in phase 2
// (db::courseField). The functions here write on the connection they are given, so that a command
// can group its moves in its own transaction.
namespace placement {

class FileChanges;

// The courses of the rails a command works on: element r - 1 holds the keys of rail r's courses
// from the top; the number of rails is the size.
using RailTable = std::vector<QStringList>;

// Writes newKey into the phase's course field of the choice row bgId. False when the phase is
// neither 1 nor 2 or the row is not found; then nothing changes.
// The write is noted in log where one is given.
bool neuerkurs(db::Connection& c, const QString& newKey, qint64 bgId, int phase,
               FileChanges* log = nullptr);

// Moves up to n choice rows naming fromKey, in stored order, to toKey: the field that names
// fromKey is rewritten, the year-13 field when both do. Returns the number of rows moved.
int andererKurs(db::Connection& c, const QString& fromKey, const QString& toKey, int n,
                FileChanges* log = nullptr);

// KS_LKGK of the course, "" when it is not found.
QString KursArt(db::Connection& c, const QString& courseKey);

// The first rail other than r (rails counted from 1) none of whose courses is among the
// student's courses; 0 when there is none.
int SucheFreieSch(int r, const RailTable& rails, const QStringList& courseKeys);

} // namespace placement

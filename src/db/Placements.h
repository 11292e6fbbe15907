#pragma once

#include "db/Statement.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <vector>

// The gateway of table ckkurs: which course lies on which rail, and whether it is fixed.
namespace db {

class Connection;

namespace placements {

// What a plan's writing and undoing do to ckkurs.

// A row of ckkurs with every field as stored (NULL kept apart from "").
struct Row {
    QVariant id;     // CK_ID
    QVariant rail;   // CK_BL_ID, the rail's BL_VFP_ID
    QVariant course; // CK_KS_ID
    QVariant railId; // CK_VFP_ID, the rail's BL_ID
    QVariant fix;    // CK_FIX
    // The fields in the order restore takes them.
    QVariantList fields() const { return {id, rail, course, railId, fix}; }
};

// Creates ckkurs with its indexes where a file lacks it.
void ensureTable(Connection& c);

// The statements a plan's write repeats for every course, prepared once; the table must exist.
class Writer {
public:
    explicit Writer(Connection& c);
    // The course's rows in stored order.
    std::vector<Row> ofCourse(const QString& courseKey);
    void remove(qint64 id);
    void setFixed(qint64 id, const QVariant& fix);
    // A new row (values checked against the schema); its CK_ID.
    qint64 add(const QString& railKey, const QString& courseKey, const QString& railId,
               const QString& fix);
    // A removed row back under its key, its fields as Row::fields gives them.
    void restore(const QVariantList& fields);

private:
    Connection& c_;
    Statement rows_;
    Statement drop_;
    Statement mark_;
    Statement add_;
};

// A fingerprint of everything a plan is computed from: the placements with their fixed marks,
// the choices, the rails, the courses (hours, limits, teachers), the students, the subjects,
// the teachers and the planner's rules (a file without rules as one with none). A search may
// take minutes; taken with the model and again inside the write's transaction, it tells whether
// the plan still fits what stands in the file.
QByteArray planState(Connection& c);

// The courses on a rail (its BL_VFP_ID) in stored order: designation and key.
std::vector<std::pair<QString, QString>> coursesOnRail(Connection& c, const QVariant& railKey);

// The placement workspace.
// The courses placed on a rail (CK_BL_ID), in stored order, that still exist.
struct OnRail {
    QString ckKsId;
    QString bez;
    QString schj;
    QString key;        // KS_VFP_ID
    bool fixed = false; // CK_FIX "1"
};
std::vector<OnRail> onRail(Connection& c, const QVariant& railKey);
// A fingerprint of the whole table, to notice another program's save.
QByteArray fingerprint(Connection& c);
// The workspace's rails of the school year written whole: the rows of every other rail (other
// school years', or one the workspace leaves out) stay with their keys, the table is built
// anew, and each shown rail gets its courses and, where it differs, its hours.
struct ShownRail {
    qint64 blId = 0;
    int hours = 0;
    std::vector<std::pair<QString, bool>> courses; // key, fixed
};
void rewrite(Connection& c, const QString& schjId, const std::vector<ShownRail>& rails);

// The block table editor (BlDat): whether any course is placed on the rail (BL_VFP_ID).
bool anyOnRail(Connection& c, const QString& railKey);

// --- For the Kurs42 exchange and the administration export.

// The Kurs42 exchange's placements: the keys as stored.
struct Placement {
    QString rail, course, fix; // CK_BL_ID, CK_KS_ID, CK_FIX
};
// Every placement, in stored order.
std::vector<Placement> inStoredOrder(Connection& c);
// A new placement of the course on the rail, fixed or not.
void add(Connection& c, const QString& railKey, const QString& courseKey, bool fixed);

// The administration export's placements with their courses: null where not found.
struct PlacedCourse {
    QVariant railKey, placementKey; // CK_BL_ID, CK_VFP_ID
    QVariant courseId, courseBez;   // KS_ID, KS_BEZ of the course CK_KS_ID names
};
// Every placement, in stored order.
std::vector<PlacedCourse> withCourses(Connection& c);

// The automatic blocking's read of the placements (blocking/Model.cpp).

struct Placed {
    QString railKey;    // CK_BL_ID
    QString courseKey;  // CK_KS_ID
    bool fixed = false; // CK_FIX is "1"
};
// Every placement in stored order; none in a file without the table.
std::vector<Placed> all(Connection& c);

} // namespace placements
} // namespace db

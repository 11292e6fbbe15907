#include "db/Subjects.h"

#include "db/Database.h"

namespace db::subjects {

std::vector<Subject> offeredTo(Connection& c, const QString& cohort) {
    std::vector<Subject> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT FA_VFP_ID, FA_PSCHL, FA_BEZ FROM fachang WHERE "
                                        "trim(FA_KURSPH) = ? ORDER BY FA_ID"),
                         {cohort});
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    return out;
}

void add(Connection& c, const NewSubject& s) {
    c.insert(QStringLiteral("fachang"), {{QStringLiteral("FA_KURSPH"), s.phase},
                                         {QStringLiteral("FA_PSCHL"), s.pschl},
                                         {QStringLiteral("FA_BEZ"), s.bez},
                                         {QStringLiteral("FA_BELEG"), s.beleg},
                                         {QStringLiteral("FA_STDGK"), s.stdGk},
                                         {QStringLiteral("FA_VFP_ID"), s.key},
                                         {QStringLiteral("FA_BEZLK"), s.bez},
                                         {QStringLiteral("FA_BEZGK"), s.bez},
                                         {QStringLiteral("FA_MERK1"), QStringLiteral("0")}});
}

} // namespace db::subjects

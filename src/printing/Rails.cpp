#include "printing/Rails.h"

#include "db/Database.h"
#include "db/Statement.h"
#include "platform/Platform.h"
#include "printing/Layouts.h"

#include <QFileInfo>

namespace printing {

std::vector<Rail> loadRails(db::Connection& c, const QString& schjId) {
    std::vector<Rail> rails;
    db::Statement placed(c, QStringLiteral("SELECT k.KS_BEZ, c.CK_KS_ID FROM ckkurs c "
                                           "JOIN kurs k ON k.KS_VFP_ID = c.CK_KS_ID "
                                           "WHERE c.CK_BL_ID = ? ORDER BY c.CK_ID"));
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_BEZ, BL_STD, BL_VFP_ID FROM block "
                                        "WHERE BL_SCHJ = ? ORDER BY BL_ID"),
                         {schjId});
    while (q.next()) {
        Rail rail{railHeaderCell(db::text(q, "BL_BEZ"), q.value(1)), {}};
        QSqlQuery& courses = placed.run({q.value(2)});
        while (courses.next())
            rail.courses.push_back({courses.value(0).toString(), courses.value(1).toString()});
        rails.push_back(std::move(rail));
    }
    return rails;
}

QDateTime lastModified(const QString& databasePath) {
    return QFileInfo(platform::nativePath(databasePath)).lastModified();
}

QStringList fileHeader(const QString& databasePath) {
    return fileHeaderLines(databasePath, lastModified(databasePath));
}

} // namespace printing

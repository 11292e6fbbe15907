#include "printing/Rails.h"

#include "db/Placements.h"
#include "db/Rails.h"
#include "platform/Platform.h"
#include "printing/Layouts.h"

#include <QFileInfo>

namespace printing {

std::vector<Rail> loadRails(db::Connection& c, const QString& schjId) {
    std::vector<Rail> rails;
    for (const db::rails::Rail& stored : db::rails::ofYear(c, schjId)) {
        Rail rail{railHeaderCell(stored.bez, stored.hours), {}};
        for (const auto& [bez, key] : db::placements::coursesOnRail(c, stored.key))
            rail.courses.push_back({bez, key});
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

#include "blocking/RailsCopy.h"

#include "blocking/Write.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Placements.h"
#include "db/Rails.h"
#include "platform/Files.h"

#include <stdexcept>

namespace blocking {

namespace {

[[noreturn]] void refuse(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

// In the copy, inside the caller's transaction: the rails added, the witness written, the
// rails it leaves free removed where no other course stands on them.
RailsCopy fill(db::Connection& c, const SchoolYear& year, const RailsNeeded& r) {
    RailsCopy out;
    Model m = r.model;
    for (int i = 0; i < static_cast<int>(m.rails.size()); ++i) {
        Rail& rail = m.rails[i];
        if (rail.id != 0 || !r.used.has(i))
            continue;
        const db::rails::Added a = db::rails::add(c, year.id, rail.name, rail.hours);
        rail.id = a.id;
        rail.key = a.key;
        out.added << rail.name;
    }
    if (!write(c, m, r.placement, r.assignment, std::nullopt))
        refuse(QStringLiteral("Der Plan ließ sich nicht in die Kopie schreiben."));
    for (int i = 0; i < static_cast<int>(m.rails.size()); ++i) {
        const Rail& rail = m.rails[i];
        if (r.used.has(i) || rail.hours <= 0 || rail.id == 0)
            continue;
        if (!db::placements::coursesOnRail(c, rail.key).empty()) {
            out.kept << rail.name.trimmed();
            continue;
        }
        db::rails::remove(c, rail.id);
        out.removed << rail.name.trimmed();
    }
    return out;
}

} // namespace

void checkCopyTarget(const QString& source, const QString& target) {
    if (platform::sameFile(source, target))
        refuse(QStringLiteral("Die Kopie darf nicht die Blockbildungsdatei selbst sein: %1")
                   .arg(target));
}

RailsCopy writeRailsCopy(const QString& source, const QString& target, const SchoolYear& year,
                         const RailsNeeded& r, const QByteArray& state) {
    if (!r.found)
        refuse(
            QStringLiteral("Es gibt keinen Plan ohne Kollision, den die Kopie aufnehmen könnte."));
    checkCopyTarget(source, target);
    platform::PendingFile pending(target);
    db::copyDatabase(source, pending.path());
    RailsCopy out;
    {
        db::Connection c(pending.path());
        db::Transaction tx(c);
        if (readState(c) != state)
            refuse(QStringLiteral("%1 wurde geändert, seit die Schienen gezählt wurden; die Kopie "
                                  "wird nicht geschrieben. Bitte neu berechnen.")
                       .arg(source));
        out = fill(c, year, r);
        tx.commit();
    }
    pending.commit(platform::PendingFile::Replace::Yes);
    return out;
}

} // namespace blocking

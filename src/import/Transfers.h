#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace vfp {
class Container;
}
namespace db {
class Connection;
}
namespace ui {
class Host;
}

namespace importer {

// What the user chose in the import window.
struct Selection {
    QString schjId;      // the school year's key (SJ_ID of the container)
    QString schjBez;     // its designation, "2009/2010"
    QString previousKey; // the previous school year's key, "" when the container has none
    QStringList cohorts; // one or two course phases ("2009", "2008") in list order
};

// The container's school years as the import window lists them: SJ_SCHJ, five blanks, SJ_ID.
QStringList schoolYearLines(const vfp::Container& c);
// The cohorts offered for a school year: its start year Y and Y-1, each only if some student of
// the container has that course phase.
QStringList cohortsOffered(const vfp::Container& c, const QString& schjBez);
// The key of the school year that starts one year before schjBez's, "" when there is none.
QString previousKey(const QStringList& schoolYearLines, const QString& schjBez);

// The ten table transfers from the administration container into a freshly created
// block-formation database. They run inside the caller's transaction: a failure leaves the file
// with empty tables. A key twice in the source where the database needs it once stops the
// import with a message naming the table and the duplicate value.
class Transfers {
public:
    using Progress = std::function<void(const QString& table)>;

    Transfers(const vfp::Container& source, db::Connection& target, const Selection& sel,
              ui::Host& host, Progress progress = {});

    void KopiereSchuldaten();
    void KopiereLehrdaten();
    void KopiereSchuljahr();
    void KopiereKurse();
    void KopiereBlock();
    void KopiereKollegiaten();
    void KopiereFachangebot();
    void KopiereBelegungen();
    void KopiereKursInSchienen();
    void BereinigeBlCk();

    // All ten in their order: choices need the students, placements the courses, the clean-up
    // the rails and their placements.
    void runAll();

    // Placements dropped by the clean-up because their rail was not imported.
    int droppedPlacements() const { return droppedPlacements_; }

private:
    void announce(const QString& table);

    const vfp::Container& source_;
    db::Connection& target_;
    Selection sel_;
    ui::Host& host_;
    Progress progress_;
    int droppedPlacements_ = 0;
};

} // namespace importer

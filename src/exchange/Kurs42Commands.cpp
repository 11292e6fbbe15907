// The menu commands of the main window for the exchange with Kurs42.
#include "common/MessageWindow.h"
#include "common/Session.h"
#include "db/Database.h"
#include "exchange/Kurs42Export.h"
#include "exchange/Kurs42Import.h"
#include "platform/FileSet.h"
#include "platform/Paths.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

namespace exchange::kurs42 {

namespace {

const QString kImportTitle = QStringLiteral("Importieren aus Kurs42");
const QString kExportTitle = QStringLiteral("Exportieren als Kurs42");

bool isZip(const QString& path) {
    return path.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive);
}

} // namespace

bool importCommand(platform::RunState& s, ui::Host& host) {
    // A folder is chosen by a file in it (its Blockung.txt); a zip stands for itself.
    const auto source =
        host.openFileName({kImportTitle, QStringLiteral("Kurs42-Export (*.zip *.txt)|*.zip;*.txt"),
                           1, s.DatenPfad, QStringLiteral("Blockung.txt")});
    if (!source)
        return false;
    QString from = *source;
    if (!isZip(from))
        from = platform::splitPath(from).dir;
    const auto target =
        host.saveFileName({QString(), common::kFilterMdb, 1, s.DatenPfad, QString()});
    if (!target)
        return false;
    ImportResult result;
    try {
        result = importExport(read(from), *target, s.pointerDirectory(), host);
    } catch (const FormatError& e) {
        ui::tell(host, e.message(), ui::Icon::Critical);
        return false;
    }
    if (!result.imported)
        return false;
    s.useDatabase(*target);
    common::LiesSchj(s, host);
    ui::tell(host, summary(result, *target).join(platform::kCrLf), ui::Icon::Information,
             kImportTitle);
    if (!result.report.isEmpty()) {
        common::frmFMld window(host);
        window.setCaption(QStringLiteral("Aus Kurs42 nicht übernommen:"));
        for (const QString& line : result.report)
            window.appendLine(line);
        host.showModal(window);
    }
    return true;
}

bool exportCommand(platform::RunState& s, ui::Host& host) {
    db::Connection c(s.databasePath());
    const QStringList cohorts = exportableCohorts(c);
    if (cohorts.isEmpty()) {
        ui::tell(host, common::kNoCoursePhases);
        return false;
    }
    QString cohort = cohorts.first();
    if (cohorts.size() > 1) {
        const auto chosen = host.inputBox(QStringLiteral("Welcher Kollegiatenjahrgang (%1)?")
                                              .arg(cohorts.join(QStringLiteral(", "))),
                                          kExportTitle, cohort);
        if (!chosen)
            return false;
        cohort = chosen->trimmed();
        if (!cohorts.contains(cohort)) {
            ui::tell(host,
                     QStringLiteral("Den Kollegiatenjahrgang %1 gibt es im Schuljahr %2 nicht.")
                         .arg(cohort, s.SchjBez),
                     ui::Icon::Exclamation);
            return false;
        }
    }
    const auto to = host.saveFileName({kExportTitle, QStringLiteral("Kurs42-Export (*.zip)|*.zip"),
                                       1, s.DatenPfad, QStringLiteral("Kurs42.zip")});
    if (!to)
        return false;
    platform::finishInterruptedSet(*to); // an earlier export left half replaced there
    const Export e = exportCohort(c, cohort);
    write(e, *to);
    ui::tell(
        host,
        QStringLiteral("Der Kollegiatenjahrgang %1 wurde nach %2 exportiert.").arg(cohort, *to),
        ui::Icon::Information);
    return true;
}

} // namespace exchange::kurs42

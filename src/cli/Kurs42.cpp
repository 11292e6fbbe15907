// kubb import-kurs42, kubb export-kurs42: the exchange with Kurs42's text export.
#include "cli/Commands.h"

#include "db/Database.h"
#include "exchange/Kurs42Export.h"
#include "exchange/Kurs42Import.h"
#include "platform/FileSet.h"
#include "platform/Files.h"

namespace cli {

int runImportKurs42(const Args& a) {
    a.allowOnly(
        {QStringLiteral("--from"), QStringLiteral("--output"), QStringLiteral("--pointer-dir")});
    const QString from = pathArg(a.required(QStringLiteral("--from")));
    const QString output = pathArg(a.required(QStringLiteral("--output")));
    QString pointerDir = a.value(QStringLiteral("--pointer-dir"));
    if (!pointerDir.isEmpty()) {
        pointerDir = pathArg(pointerDir);
        if (!pointerDir.endsWith(QLatin1Char('/')) && !pointerDir.endsWith(QLatin1Char('\\')))
            pointerDir += QLatin1Char('/');
    }
    // As kubb import: an existing file is never replaced.
    if (platform::fileExists(output))
        throw std::runtime_error(
            QStringLiteral("Die Datei %1 existiert bereits.").arg(output).toStdString());
    // A FormatError's text names file and line; main prints it.
    const exchange::kurs42::ImportResult r =
        exchange::kurs42::importExport(exchange::kurs42::read(from), output, pointerDir, host());
    out() << "Datenbank " << output << " wurde erstellt!\n";
    for (const QString& line : exchange::kurs42::summary(r, output).mid(1))
        out() << line << '\n';
    if (!r.report.isEmpty())
        out() << "Nicht übernommen:\n" << r.report.join(QLatin1Char('\n')) << '\n';
    out().flush();
    return 0;
}

int runExportKurs42(const Args& a) {
    a.allowOnly({QStringLiteral("--db"), QStringLiteral("--cohort"), QStringLiteral("--to")});
    const QString database = pathArg(a.required(QStringLiteral("--db")));
    const QString cohort = a.required(QStringLiteral("--cohort"));
    const QString to = pathArg(a.required(QStringLiteral("--to")));
    // A folder an earlier export left half replaced is finished before anything else.
    platform::finishInterruptedSet(to);
    exchange::kurs42::Export e;
    {
        db::Connection c(database);
        e = exchange::kurs42::exportCohort(c, cohort);
    }
    exchange::kurs42::write(e, to);
    out() << "Kollegiatenjahrgang " << cohort << " nach " << to << " exportiert.\n";
    out().flush();
    return 0;
}

} // namespace cli

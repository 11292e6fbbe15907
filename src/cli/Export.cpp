// kubb export: the four files for the administration program, as the menu command writes them.
#include "cli/Commands.h"

#include "common/Session.h"
#include "db/Database.h"
#include "export/Export.h"
#include "platform/RunState.h"
#include "platform/Text.h"

namespace cli {

int runExport(const Args& a) {
    a.allowOnly({QStringLiteral("--db"), QStringLiteral("--cohort"), QStringLiteral("--to")});
    const QString database = pathArg(a.required(QStringLiteral("--db")));
    const QString cohort = a.required(QStringLiteral("--cohort"));
    QString dir = pathArg(a.required(QStringLiteral("--to")));
    if (!dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QLatin1Char('\\')))
        dir += QLatin1Char('/');

    platform::RunState s;
    s.useDatabase(database);
    common::LiesSchj(s, host());
    QStringList offered;
    {
        db::Connection c(s.databasePath());
        offered = exporter::coursePhases(c, s.SchjBez);
    }
    if (offered.isEmpty())
        throw std::runtime_error(common::kNoCoursePhases.toStdString());
    if (!offered.contains(cohort))
        throw cohortNotOffered(cohort, s.SchjBez, offered);

    exporter::Merix m;
    try {
        m = exporter::exportCohort(s, host(), cohort, dir);
    } catch (const exporter::Refused& e) {
        throw std::runtime_error(
            e.message().replace(platform::kCrLf, QStringLiteral("\n")).toStdString());
    }
    for (size_t i = 0; i < m.files.size(); ++i)
        out() << exporter::merixPath(dir, m.files[i].name()) << ": " << exporter::contents(m, i)
              << '\n';
    out().flush();
    return 0;
}

} // namespace cli

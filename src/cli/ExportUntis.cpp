// kubb export-untis: a cohort's plan as the timetable program's GPU files, as the window writes
// them.
#include "cli/Commands.h"

#include "common/Session.h"
#include "db/Database.h"
#include "export/Merix.h"
#include "export/Untis.h"
#include "platform/RunState.h"

namespace cli {

namespace {

// The option's value through parse, its default when absent; a UsageError saying what it needs
// for any other.
template <class T>
T option(const Args& a, const char* name, std::optional<T> (*parse)(const QString&), T otherwise,
         const QString& needs) {
    const QString key = QString::fromLatin1(name);
    if (a.values(key).isEmpty())
        return otherwise;
    const std::optional<T> v = parse(a.value(key));
    if (!v)
        throw UsageError(key + QStringLiteral(" braucht ") + needs);
    return *v;
}

} // namespace

int runExportUntis(const Args& a) {
    namespace untis = exporter::untis;
    a.allowOnly({QStringLiteral("--db"), QStringLiteral("--cohort"), QStringLiteral("--to"),
                 QStringLiteral("--separator"), QStringLiteral("--encoding"),
                 QStringLiteral("--first-lesson"), QStringLiteral("--student-key")});
    const QString database = pathArg(a.required(QStringLiteral("--db")));
    untis::Options o;
    o.cohort = a.required(QStringLiteral("--cohort"));
    const QString dir = pathArg(a.required(QStringLiteral("--to")));
    o.separator = option(a, "--separator", &untis::separatorNamed, untis::Separator::Semicolon,
                         QStringLiteral("„;“, „,“ oder tab"));
    o.encoding = option(a, "--encoding", &untis::encodingNamed, untis::Encoding::Utf8,
                        QStringLiteral("utf-8 oder windows-1252"));
    o.firstLesson = option(a, "--first-lesson", &untis::lessonNumber, 1,
                           QStringLiteral("eine ganze Zahl von 1 bis %1").arg(untis::kMaxLesson));
    o.studentKey = option(a, "--student-key", &untis::studentKeyNamed, untis::StudentKey::Id,
                          QStringLiteral("id oder name"));

    platform::RunState s;
    s.useDatabase(database);
    common::LiesSchj(s, host());
    requireSchoolYear(s);
    QStringList offered;
    {
        db::Connection c(s.databasePath());
        offered = common::coursePhases(c, s.SchjBez);
    }
    if (!offered.contains(o.cohort))
        throw cohortNotOffered(o.cohort, s.SchjBez, offered);
    untis::Result r;
    try {
        r = untis::exportCohort(s, o, dir);
    } catch (const exporter::Refused& e) {
        throw std::runtime_error(
            e.message().replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toStdString());
    }
    out() << untis::report(r, dir).join(QLatin1Char('\n')) << '\n';
    out().flush();
    return 0;
}

} // namespace cli

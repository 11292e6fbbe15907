// The GPU export as a whole: its options, the files written together, the report.
#include "blocking/Model.h"
#include "db/Database.h"
#include "export/Merix.h"
#include "export/Untis.h"
#include "platform/FileKind.h"
#include "platform/FileSet.h"
#include "platform/Files.h"
#include "platform/RunState.h"

#include <QDir>
#include <algorithm>

namespace exporter::untis {

namespace {

QString pathIn(const QString& dir, const QString& name) {
    return dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\'))
               ? dir + name
               : dir + QLatin1Char('/') + name;
}

// Every target is a plain file or missing: renaming the new file onto a folder, a link or a
// device would either fail half-way or replace what the user keeps there.
void checkTargets(const std::vector<File>& files, const QString& dir) {
    if (!platform::directoryListable(dir))
        throw Refused(QStringLiteral("Den Ordner %1 gibt es nicht.").arg(dir) + kNothingWritten);
    for (const File& f : files) {
        const QString target = pathIn(dir, f.name);
        const platform::FileKind kind = platform::fileKind(target);
        if (kind != platform::FileKind::Missing && kind != platform::FileKind::Regular)
            throw Refused(QStringLiteral("%1 ist %2; die GPU-Dateien ersetzen nur Dateien.")
                              .arg(target, platform::describe(kind)) +
                          kNothingWritten);
    }
}

} // namespace

std::optional<Separator> separatorNamed(const QString& text) {
    if (text == QLatin1String(";"))
        return Separator::Semicolon;
    if (text == QLatin1String(","))
        return Separator::Comma;
    if (text.compare(QLatin1String("tab"), Qt::CaseInsensitive) == 0 || text == QLatin1String("\t"))
        return Separator::Tab;
    return std::nullopt;
}

std::optional<Encoding> encodingNamed(const QString& text) {
    if (text.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0)
        return Encoding::Utf8;
    if (text.compare(QLatin1String("windows-1252"), Qt::CaseInsensitive) == 0)
        return Encoding::Windows1252;
    return std::nullopt;
}

std::optional<StudentKey> studentKeyNamed(const QString& text) {
    if (text.compare(QLatin1String("id"), Qt::CaseInsensitive) == 0)
        return StudentKey::Id;
    if (text.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0)
        return StudentKey::Name;
    return std::nullopt;
}

std::optional<int> lessonNumber(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const int n = t.toInt(&ok);
    // Digits only: no sign, no blanks inside.
    if (!ok || t.isEmpty() || !std::all_of(t.begin(), t.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        }))
        return std::nullopt;
    if (n < 1 || n > kMaxLesson)
        return std::nullopt;
    return n;
}

void write(const std::vector<File>& files, const QString& dir) {
    checkTargets(files, dir);
    platform::FileSet set;
    try {
        for (const File& f : files)
            set.create(pathIn(dir, f.name)).write(f.bytes);
        set.commit();
    } catch (const platform::FileError& e) {
        // Where the renames had begun, the message says how the next export finishes them.
        throw Refused(
            QStringLiteral("Die GPU-Dateien konnten nicht nach %1 geschrieben werden: ").arg(dir) +
            e.message() + (set.incomplete() ? QString() : kNothingWritten));
    }
}

Result exportCohort(const platform::RunState& s, const Options& o, const QString& dir) {
    Result r;
    {
        // The four files show one state of the plan, even while another program saves.
        db::Connection c(s.databasePath());
        db::ReadTransaction read(c);
        r.plan = readPlan(c, {s.SchjID, s.SchjBez}, o);
        read.end();
    }
    r.files = render(r.plan, o);
    write(r.files, dir);
    return r;
}

QStringList report(const Result& r, const QString& dir) {
    const Plan& p = r.plan;
    QString numbers;
    if (!p.lessons.empty())
        numbers = QStringLiteral(" (Unterrichtsnummern %1 bis %2)")
                      .arg(p.lessons.front().number)
                      .arg(p.lessons.back().number);
    size_t placed = 0;
    for (const Cluster& c : p.clusters)
        placed += c.lessons.size();
    QStringList lines = {
        QStringLiteral("Die GPU-Dateien stehen in %1:").arg(QDir::toNativeSeparators(dir)),
        QStringLiteral("GPU002.TXT: %1 Kurse").arg(p.lessons.size()) + numbers,
        QStringLiteral("GPU010.TXT: %1 Schüler").arg(p.students.size()),
        QStringLiteral("GPU015.TXT: %1 Kursbelegungen").arg(p.memberships.size()),
        QStringLiteral("GPU019.TXT: %1 Schienen mit %2 gesetzten Kursen")
            .arg(p.clusters.size())
            .arg(placed)};
    if (!p.notes.isEmpty())
        lines << QString() << QStringLiteral("Hinweise:") << p.notes;
    return lines;
}

} // namespace exporter::untis

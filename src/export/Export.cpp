#include "export/Export.h"

#include "common/FileOpen.h"
#include "common/Session.h"
#include "db/Choices.h"
#include "db/Database.h"
#include "db/Placements.h"
#include "db/Queries.h"
#include "db/Rails.h"
#include "export/frmAKursPh.h"
#include "platform/FileSet.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace exporter {

namespace {

QString student(const QString& fam, const QString& ruf) {
    return QStringLiteral("Kollegiat ") + fam + QStringLiteral(", ") + ruf;
}

// A course as a choice names it: the trimmed designation of the course the key finds, the key
// itself when it finds none.
QString designation(const QVariant& key, const QVariant& courseId, const QVariant& bez) {
    return courseId.isNull() ? key.toString() : trimBlanks(bez.toString());
}

// The GK record of a basic-course choice with a course in either year group.
void basicChoice(const platform::RunState& s, const QString& phase,
                 const db::choices::StudentBasicChoice& r, const QString& who, MerixFile& gk) {
    // The cohort's year group 12 lay in an earlier school year when the phase is not the year
    // this one starts.
    const bool year13 = db::yearGroup(phase, s.SchjBez) != 12;
    const QString year12 =
        year13 ? phase + QLatin1Char('/') + QString::number(numberValue(phase) + 1) : s.SchjBez;
    const QString course12 = designation(r.course12, r.courseId12, r.bez12);
    const QString course13 = designation(r.course13, r.courseId13, r.bez13);
    QString field2;
    QString field3 = QStringLiteral("*");
    if (year13) {
        field2 = r.course12.isNull() ? QStringLiteral("*") : year12 + course12;
        if (!r.course13.isNull())
            field3 = s.SchjBez + course13;
    } else {
        field2 = s.SchjBez + (r.course12.isNull() ? QString() : course12);
    }
    const QString subject = r.subjectId.isNull() ? orNull(r.subjectKey)
                                                 : r.subjectPhase.toString() + r.pschl.toString();
    gk.record(
        {{1, trimBlanks(phase) + r.famName.toString().leftJustified(30, QLatin1Char(' '), true) +
                 r.rufName.toString()},
         {2, field2},
         {3, field3},
         {4, subject},
         {5, orNull(r.art)}},
        who);
}

// MERIX.KO and MERIX.GK: per student of the cohort (stored order) the KO record, then per
// basic-course choice (stored order) with a course in either year group the GK record. One
// query walks the students and reaches each one's choices, courses and subject by index.
void students(db::Connection& c, const platform::RunState& s, const QString& phase, ui::Host& host,
              Merix& m) {
    QVariant current;
    QString who;
    db::choices::eachStudentWithBasicChoices(
        c, phase, [&](const db::choices::StudentBasicChoice& r) {
            const QString fam = r.famName.toString();
            if (r.studentId != current) {
                current = r.studentId;
                who = student(fam, r.rufName.toString());
                host.setStatus(QStringLiteral("Kollegiatentabelle: ") + fam);
                m.files[0].record({{1, phase}, {5, orNull(r.famName)}, {9, orNull(r.rufName)}},
                                  who);
                ++m.students;
            }
            if (r.choiceId.isNull() || (r.course12.isNull() && r.course13.isNull()))
                return;
            host.setStatus(QStringLiteral("Grundkurse: ") + fam);
            basicChoice(s, phase, r, who, m.files[1]);
            ++m.choices;
        });
}

// MERIX.BL: the rails of the school year.
void rails(db::Connection& c, const platform::RunState& s, ui::Host& host, Merix& m) {
    host.setStatus(QStringLiteral("Block"));
    const auto numberOrStar = [](const QVariant& v) {
        return v.isNull() ? QStringLiteral("*") : QString::number(v.toLongLong());
    };
    for (const db::rails::RailRecord& r : db::rails::records(c, s.SchjID)) {
        m.files[2].record({{1, s.SchjBez},
                           {2, orNull(r.bez)},
                           {3, r.name.isNull() ? QStringLiteral("*") : r.name.toString()},
                           {4, numberOrStar(r.sort)},
                           {5, numberOrStar(r.hours)}},
                          QStringLiteral("Schiene ") + r.bez.toString());
        ++m.rails;
    }
}

// MERIX.CK, appended to the files: every placed course. A placement saved by the workspace
// (CK_VFP_ID set) finds its rail by key as written, compared exactly; one left by the import by
// the number its key holds, as the rail's BL_ID. Rails of every school year count.
void placements(db::Connection& c, const platform::RunState& s, Merix& m) {
    QHash<QString, QString> byKey;
    QHash<qint64, QString> byId;
    for (const db::rails::RailKeys& r : db::rails::allKeys(c)) {
        const QString bez = trimBlanks(r.bez);
        byId.insert(r.id, bez);
        if (!r.key.isNull() && !byKey.contains(r.key.toString()))
            byKey.insert(r.key.toString(), bez);
    }
    struct Row {
        QString rail;
        QString course;
    };
    std::vector<Row> rows;
    for (const db::placements::PlacedCourse& p : db::placements::withCourses(c)) {
        const QVariant& railKey = p.railKey;
        std::optional<QString> rail;
        if (!p.placementKey.isNull()) {
            if (!railKey.isNull() && byKey.contains(railKey.toString()))
                rail = byKey.value(railKey.toString());
        } else if (!railKey.isNull()) {
            if (const auto it = byId.constFind(numberValue(railKey.toString())); it != byId.cend())
                rail = *it;
        }
        rows.push_back({rail ? s.SchjBez + *rail : QStringLiteral("*"),
                        p.courseId.isNull() ? QStringLiteral("*")
                                            : s.SchjBez + trimBlanks(p.courseBez.toString())});
    }
    // Without placed courses the file holds the empty line alone.
    MerixFile& ck =
        m.files.emplace_back(QStringLiteral("MERIX.CK"), QStringLiteral("CK"), 7, !rows.empty());
    for (const Row& r : rows) {
        ck.record({{1, r.rail}, {2, r.course}},
                  QStringLiteral("Kurs ") + r.course + QStringLiteral(" auf Schiene ") + r.rail);
        ++m.placements;
    }
    ck.emptyLine();
}

} // namespace

QStringList coursePhases(db::Connection& c, const QString& schjBez) {
    return common::coursePhases(c, schjBez);
}

Merix buildMerix(db::Connection& c, const platform::RunState& s, const QString& phase,
                 ui::Host& host) {
    Merix m;
    m.files = {MerixFile(QStringLiteral("MERIX.KO"), QStringLiteral("KO"), 68),
               MerixFile(QStringLiteral("MERIX.GK"), QStringLiteral("GK"), 30),
               MerixFile(QStringLiteral("MERIX.BL"), QStringLiteral("BL"), 5)};
    students(c, s, phase, host, m);
    rails(c, s, host, m);
    // MERIX.CK comes last, once it is known whether it has a header.
    placements(c, s, m);
    return m;
}

QString contents(const Merix& m, size_t file) {
    static const char* const kWhat[] = {"Kollegiaten", "Grundkursbelegungen", "Schienen",
                                        "gesetzte Kurse"};
    const int counts[] = {m.students, m.choices, m.rails, m.placements};
    return QString::number(counts[file]) + QLatin1Char(' ') + QString::fromUtf8(kWhat[file]);
}

QString report(const Merix& m, const QString& dir) {
    const QString folder = QDir::toNativeSeparators(
        QFileInfo(platform::nativePath(merixPath(dir, m.files.front().name()))).absolutePath());
    QString text = QStringLiteral("Die Exportdateien stehen in ") + folder + QLatin1Char(':');
    for (size_t i = 0; i < m.files.size(); ++i)
        text += platform::kCrLf + m.files[i].name() + QStringLiteral(": ") + contents(m, i);
    return text;
}

QString merixPath(const QString& dir, const QString& name) {
    return dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('\\') + name;
}

QString exportDirectory(const QString& verwDbcPfad) {
    const qsizetype sep = std::max(verwDbcPfad.lastIndexOf(QLatin1Char('\\')),
                                   verwDbcPfad.lastIndexOf(QLatin1Char('/')));
    return verwDbcPfad.left(sep + 1);
}

void writeMerix(ui::Host& host, const Merix& m, const QString& dir) {
    platform::FileSet set;
    for (const MerixFile& f : m.files) {
        const QString target = merixPath(dir, f.name());
        platform::FileSet::File* file = nullptr;
        while (!file) {
            try {
                file = &set.create(target);
            } catch (const platform::FileError& e) {
                if (common::fileErrorDialog(host, e.code(), target) !=
                    common::FileErrorChoice::Retry)
                    throw;
            }
        }
        file->write(f.bytes());
    }
    set.commit();
}

Merix exportCohort(const platform::RunState& s, ui::Host& host, const QString& phase,
                   const QString& dir) {
    // A set of files an earlier export left half replaced is finished before anything else.
    platform::finishInterruptedSet(
        QFileInfo(platform::nativePath(merixPath(dir, QStringLiteral("MERIX.KO")))).absolutePath());
    Merix m;
    {
        // The four files show one state of the plan, even while another program saves.
        db::Connection c(s.databasePath());
        db::ReadTransaction read(c);
        m = buildMerix(c, s, phase, host);
        read.end();
    }
    writeMerix(host, m, dir);
    host.setStatus(QString());
    return m;
}

QString ExportVerzeichnis(ui::Host& host) {
    // A fresh folder holds no MERIX file yet: the name may be one still to be written.
    return host
        .openFileName({QString(), kExportFilter, 1, QString(), QStringLiteral("MERIX.KO"), false})
        .value_or(QString());
}

void exportCommand(platform::RunState& s, ui::Host& host) {
    s.VerwDbcPfad = common::readAdministrationIni(host);
    if (s.VerwDbcPfad.isEmpty())
        s.VerwDbcPfad = ExportVerzeichnis(host);
    if (s.VerwDbcPfad.isEmpty())
        return;
    // Capitals only where the file system ignores case, so that the folder still opens elsewhere.
    s.VerwDbcPfad = platform::comparable(s.VerwDbcPfad);
    const QString dir = exportDirectory(s.VerwDbcPfad);
    try {
        QStringList phases;
        {
            db::Connection c(s.databasePath());
            phases = coursePhases(c, s.SchjBez);
        }
        if (phases.isEmpty()) {
            ui::tell(host, common::kNoCoursePhases);
            return;
        }
        frmAKursPh w(host);
        w.List1.setLines(phases);
        w.Label1.clear();
        host.showModal(w);
        w.Form_Unload();
        if (w.Label1.isEmpty())
            return;
        const Merix m = exportCohort(s, host, w.Label1, dir);
        ui::tell(host, report(m, dir), ui::Icon::Information);
    } catch (const Refused& e) {
        host.setStatus(QString());
        ui::tell(host, e.message(), ui::Icon::Critical);
    } catch (const std::exception& e) {
        host.setStatus(QString());
        ui::tell(host, kExportFailed + platform::kCrLf + QString::fromUtf8(e.what()),
                 ui::Icon::Critical);
    }
}

} // namespace exporter

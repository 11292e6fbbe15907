#include "exchange/Kurs42Export.h"

#include "blocking/Rules.h"
#include "db/Choices.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "db/KeptNames.h"
#include "db/Placements.h"
#include "db/Queries.h"
#include "db/Rails.h"
#include "db/Students.h"
#include "db/Subjects.h"
#include "db/Teachers.h"
#include "exchange/Kurs42Import.h"
#include "exchange/Kurs42Kept.h"

#include <QHash>
#include <algorithm>
#include <stdexcept>

namespace exchange::kurs42 {

namespace {

QString fold(const QString& key) {
    return key.trimmed().toUpper();
}

using SchoolYear = db::SchoolYearEntry;

SchoolYear schoolYear(db::Connection& c) {
    const std::optional<SchoolYear> year = db::firstSchoolYear(c);
    if (!year)
        throw std::runtime_error("Die Datei enthält kein Schuljahr.");
    return *year;
}

QString keptName(db::Connection& c, const QString& kind, const QString& key, QString& data) {
    const db::kept::Entry entry = db::kept::get(c, kind, key);
    data = entry.data;
    return entry.found ? entry.name : QString();
}

// Per group of one subject and kind its courses get 1..n: in the order the export had them
// where it kept one, the others after them in course order.
void numberParallels(Export& e) {
    QHash<QString, std::vector<size_t>> groups;
    for (size_t i = 0; i < e.courses.size(); ++i)
        groups[e.courses[i].fach + QLatin1Char('\n') + e.courses[i].kursart].push_back(i);
    for (auto& members : groups) {
        std::stable_sort(members.begin(), members.end(), [&](size_t a, size_t b) {
            const int na = e.courses[a].parallelKursNr > 0 ? e.courses[a].parallelKursNr : 1 << 30;
            const int nb = e.courses[b].parallelKursNr > 0 ? e.courses[b].parallelKursNr : 1 << 30;
            return na < nb;
        });
        for (size_t n = 0; n < members.size(); ++n) {
            e.courses[members[n]].parallelKursNr = static_cast<int>(n) + 1;
            e.courses[members[n]].parallelKursZahl = static_cast<int>(members.size());
        }
    }
}

// The cohort's rows of the file, a table at a time, into the export's records. The maps take
// the file's keys (folded) to what the later tables refer to.
struct Reader {
    db::Connection& c;
    const SchoolYear& year;
    QString cohort;
    Export& e;
    QString data; // what the last kept name carried of the export's own values
    QHash<QString, QString> teachers;
    QHash<QString, QString> subjects; // FA_VFP_ID -> Krz
    QHash<QString, int> rails;
    QHash<QString, int> courses;
    QHash<QString, StudentKey> students;

    void readTeachers() {
        for (const db::teachers::Teacher& t : db::teachers::inStoredOrder(c)) {
            const QString name = keptName(c, db::kept::kTeacher, t.key, data);
            teachers.insert(fold(t.key), name.isEmpty() ? t.kuerzel.trimmed() : name);
        }
    }

    void readSubjects() {
        for (const db::subjects::Subject& row : db::subjects::offeredTo(c, cohort)) {
            Subject s;
            s.idNr = static_cast<int>(e.subjects.size()) + 1;
            s.sortierung = s.idNr;
            s.bezeichnung = row.bez.trimmed();
            s.krz = keptName(c, db::kept::kSubject, row.key, data);
            if (s.krz.isEmpty())
                s.krz = row.pschl.trimmed();
            restore(data, s);
            subjects.insert(fold(row.key), s.krz);
            e.subjects.push_back(s);
        }
    }

    void readRails() {
        for (const db::rails::RailName& row : db::rails::inSortOrder(c, year.id)) {
            Rail r;
            r.bezeichnung = keptName(c, db::kept::kRail, row.key, data);
            if (r.bezeichnung.isEmpty())
                r.bezeichnung =
                    row.name.trimmed().isEmpty() ? row.bez.trimmed() : row.name.trimmed();
            restore(data, r);
            r.id = static_cast<int>(e.rails.size()) + 1;
            rails.insert(fold(row.key), static_cast<int>(e.rails.size()));
            e.rails.push_back(r);
        }
    }

    void readCourses() {
        for (const db::courses::CourseOfYear& row : db::courses::inSortOrder(c, year.id)) {
            QString fach;
            for (size_t i = 0; i < row.subjects.size() && fach.isEmpty(); ++i)
                fach = subjects.value(fold(row.subjects[i]));
            const QString& key = row.key;
            if (fach.isEmpty() || courses.contains(fold(key)))
                continue; // another cohort's course
            Course k;
            k.kursId = -(static_cast<int>(e.courses.size()) + 1);
            k.name = keptName(c, db::kept::kCourse, key, data);
            if (k.name.isEmpty())
                k.name = row.bez.trimmed();
            restore(data, k);
            const QString lkgk = row.lkgk.trimmed().toUpper();
            if (courseLkgk(k.kursart) != lkgk)
                k.kursart =
                    lkgk == QLatin1String("L") ? QStringLiteral("LK") : QStringLiteral("GK");
            k.fach = fach;
            k.std = row.hours.trimmed().toInt();
            k.lehrer = teachers.value(fold(row.teacher));
            courses.insert(fold(key), static_cast<int>(e.courses.size()));
            e.courses.push_back(k);
        }
    }

    void readPlacements() {
        std::vector<std::vector<std::pair<int, bool>>> placed(e.courses.size());
        for (const db::placements::Placement& p : db::placements::inStoredOrder(c)) {
            const int r = rails.value(fold(p.rail), -1);
            const int k = courses.value(fold(p.course), -1);
            if (r < 0 || k < 0)
                continue;
            placed[static_cast<size_t>(k)].push_back({r, p.fix.trimmed() == QLatin1String("1")});
        }
        for (size_t k = 0; k < placed.size(); ++k)
            if (!placed[k].empty())
                e.courses[k].schienenzahl = static_cast<int>(placed[k].size());
        // Rows by rail, as the export has them.
        for (int r = 0; r < static_cast<int>(e.rails.size()); ++r)
            for (size_t k = 0; k < placed.size(); ++k)
                for (const auto& [rail, fixed] : placed[k])
                    if (rail == r)
                        e.placements.push_back({0, r, e.courses[k].name, fixed});
    }

    void readForbiddenRails() {
        for (Course& k : e.courses)
            k.gesperrt.clear();
        for (const blocking::Rule& rule : blocking::loadRules(c, year.id)) {
            if (rule.kind != blocking::RuleKind::CourseNotOnRail)
                continue;
            const int k = courses.value(fold(rule.first), -1);
            const int r = rails.value(fold(rule.second), -1);
            if (k >= 0 && r >= 0)
                e.courses[static_cast<size_t>(k)].gesperrt.push_back(r);
        }
        for (Course& k : e.courses)
            std::sort(k.gesperrt.begin(), k.gesperrt.end());
    }

    void readStudents() {
        for (const db::students::Person& row : db::students::ofCohort(c, cohort)) {
            Student s;
            const QString& key = row.key;
            s.idNr = static_cast<int>(e.students.size()) + 1;
            s.key.name = row.famName;
            s.key.vorname = row.rufName;
            s.jahrgang = e.blocking.jahrgang;
            s.klasse = row.parallelClass;
            if (s.klasse.isEmpty())
                s.klasse = s.jahrgang;
            bool numeric = false;
            const qint64 id = key.trimmed().toLongLong(&numeric);
            s.dbIdNr = numeric && id > 0 ? id : 0;
            keptName(c, db::kept::kStudent, key, data);
            restore(data, s);
            students.insert(fold(key), s.key);
            e.students.push_back(s);
        }
    }

    void readChoices(int yearGroup) {
        QHash<QString, int> advanced; // per student the advanced choices so far
        for (const db::choices::CohortChoice& row : db::choices::ofCohort(c, cohort, yearGroup)) {
            const QString fach = subjects.value(fold(row.subject));
            if (fach.isEmpty())
                continue; // a subject outside the cohort's offer has no row in Faecher.txt
            Choice w;
            w.student = students.value(fold(row.student));
            w.fachkrz = fach;
            const int k = courses.value(fold(row.course), -1);
            w.kurs = k >= 0 ? e.courses[static_cast<size_t>(k)].name : QString();
            const QString art = row.art.trimmed().toUpper();
            w.kursart = keptName(c, db::kept::kChoice, row.key, data);
            restore(data, w);
            if (choiceArt(w.kursart) != art) {
                w.kursart = choiceKindOf(art, k >= 0 ? e.courses[static_cast<size_t>(k)].kursart
                                                     : QString());
                if (w.kursart == QLatin1String("LK1") && advanced[fold(row.student)]++ > 0)
                    w.kursart = QStringLiteral("LK2");
            }
            e.choices.push_back(w);
        }
    }
};

} // namespace

QStringList exportableCohorts(db::Connection& c) {
    const SchoolYear year = schoolYear(c);
    QStringList out;
    for (const QString& cohort : db::students::cohortsLatestFirst(c))
        if (db::yearGroup(cohort, year.bez) != 0)
            out << cohort;
    return out;
}

Export exportCohort(db::Connection& c, const QString& cohort) {
    db::ReadTransaction read(c);
    const SchoolYear year = schoolYear(c);
    const int yearGroup = db::yearGroup(cohort.trimmed(), year.bez);
    if (yearGroup == 0)
        throw std::runtime_error(QStringLiteral("Der Kollegiatenjahrgang %1 ist im Schuljahr %2 "
                                                "weder in Jahrgangsstufe 12 noch in 13.")
                                     .arg(cohort, year.bez.trimmed())
                                     .toStdString());
    Export e;
    QString data;
    e.blocking.jahr = db::startYear(year.bez);
    e.blocking.jahrgang = yearGroup == 12 ? QStringLiteral("Q1") : QStringLiteral("Q2");
    e.blocking.bezeichnung = keptName(c, db::kept::kBlocking, year.id, data);
    restore(data, e.blocking);

    Reader r{c, year, cohort.trimmed(), e, data, {}, {}, {}, {}, {}};
    r.readTeachers();
    r.readSubjects();
    r.readRails();
    r.readCourses();
    r.readPlacements();
    r.readForbiddenRails();
    numberParallels(e);
    r.readStudents();
    r.readChoices(yearGroup);
    read.end();
    return e;
}

} // namespace exchange::kurs42

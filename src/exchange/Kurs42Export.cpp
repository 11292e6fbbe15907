#include "exchange/Kurs42Export.h"

#include "blocking/Rules.h"
#include "db/Database.h"
#include "db/KeptNames.h"
#include "db/Queries.h"
#include "exchange/Kurs42Import.h"
#include "exchange/Kurs42Kept.h"

#include <QHash>
#include <QSqlQuery>
#include <algorithm>
#include <stdexcept>

namespace exchange::kurs42 {

namespace {

QString fold(const QString& key) {
    return key.trimmed().toUpper();
}

struct SchoolYear {
    QString bez, id;
};

SchoolYear schoolYear(db::Connection& c) {
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT SJ_SCHJ, SJ_VFP_ID FROM schjahr ORDER BY SJ_ID LIMIT 1"));
    if (!q.next())
        throw std::runtime_error("Die Datei enthält kein Schuljahr.");
    return {q.value(0).toString(), q.value(1).toString()};
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
        QSqlQuery q =
            c.exec(QStringLiteral("SELECT LE_VFP_ID, LE_KUERZ FROM lehrer ORDER BY LE_ID"));
        while (q.next()) {
            const QString name = keptName(c, db::kept::kTeacher, q.value(0).toString(), data);
            teachers.insert(fold(q.value(0).toString()),
                            name.isEmpty() ? q.value(1).toString().trimmed() : name);
        }
    }

    void readSubjects() {
        QSqlQuery q = c.exec(QStringLiteral("SELECT FA_VFP_ID, FA_PSCHL, FA_BEZ FROM fachang WHERE "
                                            "trim(FA_KURSPH) = ? ORDER BY FA_ID"),
                             {cohort});
        while (q.next()) {
            Subject s;
            s.idNr = static_cast<int>(e.subjects.size()) + 1;
            s.sortierung = s.idNr;
            s.bezeichnung = q.value(2).toString().trimmed();
            s.krz = keptName(c, db::kept::kSubject, q.value(0).toString(), data);
            if (s.krz.isEmpty())
                s.krz = q.value(1).toString().trimmed();
            restore(data, s);
            subjects.insert(fold(q.value(0).toString()), s.krz);
            e.subjects.push_back(s);
        }
    }

    void readRails() {
        QSqlQuery q =
            c.exec(QStringLiteral("SELECT BL_VFP_ID, BL_BEZ, BL_NAME FROM block WHERE BL_SCHJ = ? "
                                  "ORDER BY BL_SORT, BL_ID"),
                   {year.id});
        while (q.next()) {
            Rail r;
            r.bezeichnung = keptName(c, db::kept::kRail, q.value(0).toString(), data);
            if (r.bezeichnung.isEmpty())
                r.bezeichnung = q.value(2).toString().trimmed().isEmpty()
                                    ? q.value(1).toString().trimmed()
                                    : q.value(2).toString().trimmed();
            restore(data, r);
            r.id = static_cast<int>(e.rails.size()) + 1;
            rails.insert(fold(q.value(0).toString()), static_cast<int>(e.rails.size()));
            e.rails.push_back(r);
        }
    }

    void readCourses() {
        QSqlQuery q = c.exec(
            QStringLiteral("SELECT KS_VFP_ID, KS_BEZ, KS_FA_ID1, KS_FA_ID2, KS_FA_ID3, "
                           "KS_FA_ID4, KS_LKGK, KS_STD, KS_LE_ID FROM kurs WHERE KS_SCHJ = ? "
                           "ORDER BY KS_SORT, KS_ID"),
            {year.id});
        while (q.next()) {
            QString fach;
            for (int i = 2; i <= 5 && fach.isEmpty(); ++i)
                fach = subjects.value(fold(q.value(i).toString()));
            const QString key = q.value(0).toString();
            if (fach.isEmpty() || courses.contains(fold(key)))
                continue; // another cohort's course
            Course k;
            k.kursId = -(static_cast<int>(e.courses.size()) + 1);
            k.name = keptName(c, db::kept::kCourse, key, data);
            if (k.name.isEmpty())
                k.name = q.value(1).toString().trimmed();
            restore(data, k);
            const QString lkgk = q.value(6).toString().trimmed().toUpper();
            if (courseLkgk(k.kursart) != lkgk)
                k.kursart =
                    lkgk == QLatin1String("L") ? QStringLiteral("LK") : QStringLiteral("GK");
            k.fach = fach;
            k.std = q.value(7).toString().trimmed().toInt();
            k.lehrer = teachers.value(fold(q.value(8).toString()));
            courses.insert(fold(key), static_cast<int>(e.courses.size()));
            e.courses.push_back(k);
        }
    }

    void readPlacements() {
        std::vector<std::vector<std::pair<int, bool>>> placed(e.courses.size());
        QSqlQuery q =
            c.exec(QStringLiteral("SELECT CK_BL_ID, CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
        while (q.next()) {
            const int r = rails.value(fold(q.value(0).toString()), -1);
            const int k = courses.value(fold(q.value(1).toString()), -1);
            if (r < 0 || k < 0)
                continue;
            placed[static_cast<size_t>(k)].push_back(
                {r, q.value(2).toString().trimmed() == QLatin1String("1")});
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
        QSqlQuery q = c.exec(
            QStringLiteral("SELECT KO_VFP_ID, KO_FAMNAME, KO_RUFNAME, KO_PARLLKL FROM kolleg "
                           "WHERE trim(KO_KURSPH) = ? ORDER BY KO_ID"),
            {cohort});
        while (q.next()) {
            Student s;
            const QString key = q.value(0).toString();
            s.idNr = static_cast<int>(e.students.size()) + 1;
            s.key.name = q.value(1).toString().trimmed();
            s.key.vorname = q.value(2).toString().trimmed();
            s.jahrgang = e.blocking.jahrgang;
            s.klasse = q.value(3).toString().trimmed();
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
        const QString field = db::courseField(yearGroup);
        QSqlQuery q =
            c.exec(QStringLiteral("SELECT b.BG_VFP_ID, b.BG_KO_ID, b.BG_FA_ID, b.BG_ART, b.%1 FROM "
                                  "belegung b JOIN kolleg k ON k.KO_VFP_ID = b.BG_KO_ID WHERE "
                                  "trim(k.KO_KURSPH) = ? ORDER BY k.KO_ID, b.BG_ID")
                       .arg(field),
                   {cohort});
        QHash<QString, int> advanced; // per student the advanced choices so far
        while (q.next()) {
            const QString fach = subjects.value(fold(q.value(2).toString()));
            if (fach.isEmpty())
                continue; // a subject outside the cohort's offer has no row in Faecher.txt
            Choice w;
            w.student = students.value(fold(q.value(1).toString()));
            w.fachkrz = fach;
            const int k = courses.value(fold(q.value(4).toString()), -1);
            w.kurs = k >= 0 ? e.courses[static_cast<size_t>(k)].name : QString();
            const QString art = q.value(3).toString().trimmed().toUpper();
            w.kursart = keptName(c, db::kept::kChoice, q.value(0).toString(), data);
            restore(data, w);
            if (choiceArt(w.kursart) != art) {
                w.kursart = choiceKindOf(art, k >= 0 ? e.courses[static_cast<size_t>(k)].kursart
                                                     : QString());
                if (w.kursart == QLatin1String("LK1") &&
                    advanced[fold(q.value(1).toString())]++ > 0)
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
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT DISTINCT trim(KO_KURSPH) FROM kolleg ORDER BY 1 DESC"));
    while (q.next())
        if (db::yearGroup(q.value(0).toString(), year.bez) != 0)
            out << q.value(0).toString();
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

#include "exchange/Kurs42Import.h"

#include "blocking/RailSet.h"
#include "blocking/Rules.h"
#include "db/BlockDatabase.h"
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
#include "exchange/Kurs42Kept.h"
#include "exchange/Kurs42Table.h"
#include "platform/Files.h"
#include "ui/Host.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>

namespace exchange::kurs42 {

namespace {

using table::where;

// StudentKey's own ordering is unusable with QString; its four parts joined serve as the key.
QString keyText(const StudentKey& k) {
    return QStringList{k.name, k.vorname, k.gebDat, QString::number(k.geschlecht)}.join(
        QChar(0x1f));
}

QString studentText(const StudentKey& k) {
    return QStringLiteral("%1, %2 (%3)").arg(k.name, k.vorname, k.gebDat);
}

// Everything the new file gets, worked out before anything is written, so that a row breaking
// the rules stops the import with no file begun.
struct Plan {
    int yearGroup = 12;
    int cohort = 0;
    QString schjBez;
    QStringList report;

    QHash<QString, int> subjectByKrz;    // index into e.subjects
    QStringList subjectKeys, pschl, bez; // per subject
    QHash<QString, int> courseByName;    // index into e.courses
    QStringList courseKeys, courseBez;   // per course; "" key: not taken
    std::vector<int> courseTeacher;      // index into teachers, -1 none
    QStringList teachers, teacherKuerz;
    QHash<int, int> railById; // Rail::id -> index
    QStringList railBez;
    std::vector<int> railHours;
    QHash<QString, int> studentByKey; // keyText -> index
    QStringList studentKeys;
    std::vector<std::vector<int>> placed; // per course the rails (indexes)
    struct PlacementRow {
        int course, rail;
        bool fixed;
    };
    std::vector<PlacementRow> rows;
    struct ChoiceRow {
        int choice, student, subject, course; // course -1: none
        QString art;
    };
    std::vector<ChoiceRow> choices;
};

void planSubjects(const Export& e, Plan& p) {
    QStringList krz;
    for (const Subject& s : e.subjects) {
        if (p.subjectByKrz.contains(s.krz))
            throw FormatError(kFaecher, s.line,
                              QStringLiteral("Das Fach %1 steht zweimal in der Datei.").arg(s.krz));
        p.subjectByKrz.insert(s.krz, static_cast<int>(krz.size()));
        krz << s.krz;
        p.subjectKeys << db::sixKey(krz.size());
    }
    p.pschl = shortNames(krz, 4);
    p.bez = shortNames(krz, 3);
}

void planRails(const Export& e, Plan& p) {
    // More could not be opened: every command would refuse the file.
    if (e.rails.size() > size_t(blocking::kMaxRails))
        throw FormatError(kSchienen, e.rails[blocking::kMaxRails].line,
                          QStringLiteral("Die Datei hat %1 Schienen; das Programm unterscheidet "
                                         "höchstens %2.")
                              .arg(e.rails.size())
                              .arg(blocking::kMaxRails));
    QStringList names;
    for (const Rail& r : e.rails) {
        if (p.railById.contains(r.id) || r.id < 1)
            throw FormatError(kSchienen, r.line,
                              QStringLiteral("Die Schiene %1 steht zweimal in der Datei oder hat "
                                             "keine Nummer ab 1.")
                                  .arg(r.id));
        p.railById.insert(r.id, static_cast<int>(names.size()));
        names << (r.bezeichnung.trimmed().isEmpty() ? QStringLiteral("Schiene %1").arg(r.id)
                                                    : r.bezeichnung.trimmed());
    }
    p.railBez = shortNames(names, 6);
}

void planCourses(const Export& e, Plan& p) {
    QStringList names, teacherNames;
    QHash<QString, int> teacherIndex;
    p.courseTeacher.assign(e.courses.size(), -1);
    for (size_t i = 0; i < e.courses.size(); ++i) {
        const Course& k = e.courses[i];
        if (p.courseByName.contains(k.name))
            throw FormatError(
                kKurse, k.line,
                QStringLiteral("Der Kurs %1 steht zweimal in der Datei.").arg(k.name));
        if (courseLkgk(k.kursart).isEmpty())
            throw FormatError(
                kKurse, k.line,
                QStringLiteral("Unbekannte Kursart %1 beim Kurs %2.").arg(k.kursart, k.name));
        p.courseByName.insert(k.name, static_cast<int>(i));
        names << k.name;
        if (!p.subjectByKrz.contains(k.fach)) {
            p.report << where(kKurse, k.line) +
                            QStringLiteral("Das Fach %1 des Kurses %2 fehlt in %3; der Kurs wird "
                                           "nicht übernommen.")
                                .arg(k.fach, k.name, kFaecher);
            p.courseKeys << QString();
            continue;
        }
        // The workspace lists a course of 1 to 9 hours and a rail of at most 9; the rails' hours
        // come from their courses'.
        if (k.std < 1 || k.std > 9)
            throw FormatError(kKurse, k.line,
                              QStringLiteral("Der Kurs %1 hat %2 Wochenstunden; das Programm "
                                             "verteilt 1 bis 9.")
                                  .arg(k.name)
                                  .arg(k.std));
        p.courseKeys << db::sixKey(static_cast<qint64>(i) + 1);
        const QString teacher = k.lehrer.trimmed();
        if (!teacher.isEmpty()) {
            if (!teacherIndex.contains(teacher)) {
                teacherIndex.insert(teacher, static_cast<int>(teacherNames.size()));
                teacherNames << teacher;
            }
            p.courseTeacher[i] = teacherIndex.value(teacher);
        }
    }
    p.courseBez = shortNames(names, 6);
    p.teachers = teacherNames;
    p.teacherKuerz = shortNames(teacherNames, 4);
}

void planPlacements(const Export& e, Plan& p) {
    p.placed.assign(e.courses.size(), {});
    for (const Placement& b : e.placements) {
        const auto rail = p.railById.constFind(b.schiene + 1);
        if (rail == p.railById.cend())
            throw FormatError(
                kBlockplan, b.line,
                QStringLiteral("Die Schiene %1 fehlt in %2.").arg(b.schiene + 1).arg(kSchienen));
        const auto course = p.courseByName.constFind(b.kurs);
        if (course == p.courseByName.cend() || p.courseKeys[*course].isEmpty()) {
            p.report << where(kBlockplan, b.line) +
                            QStringLiteral("Der Kurs %1 fehlt in %2; seine Zuordnung zur Schiene "
                                           "wird nicht übernommen.")
                                .arg(b.kurs, kKurse);
            continue;
        }
        std::vector<int>& rails = p.placed[static_cast<size_t>(*course)];
        if (std::find(rails.begin(), rails.end(), *rail) != rails.end())
            continue; // the same placement twice says nothing new
        rails.push_back(*rail);
        p.rows.push_back({*course, *rail, b.fixiert});
    }
    // The hours of a rail: those of the one-rail courses on it; where it carries only courses
    // of several rails, their hours shared out; an empty rail those most one-rail courses have.
    std::map<int, int> common;
    p.railHours.assign(e.rails.size(), 0);
    std::vector<int> shared(e.rails.size(), 0);
    for (size_t k = 0; k < e.courses.size(); ++k) {
        const auto& rails = p.placed[k];
        const int hours = e.courses[k].std;
        if (rails.size() == 1) {
            p.railHours[static_cast<size_t>(rails[0])] =
                std::max(p.railHours[static_cast<size_t>(rails[0])], hours);
            ++common[hours];
        }
        const int n = static_cast<int>(rails.size());
        for (int r : rails)
            if (n > 1)
                shared[static_cast<size_t>(r)] =
                    std::max(shared[static_cast<size_t>(r)], (hours + n - 1) / n);
    }
    int usual = 3;
    int most = 0;
    for (const auto& [hours, count] : common)
        if (count > most && hours > 0) {
            most = count;
            usual = hours;
        }
    for (size_t r = 0; r < p.railHours.size(); ++r) {
        if (p.railHours[r] == 0)
            p.railHours[r] = shared[r] > 0 ? shared[r] : usual;
        p.railHours[r] = std::min(p.railHours[r], 255);
    }
}

void planStudents(const Export& e, Plan& p) {
    QSet<QString> used;
    for (const Student& s : e.students)
        if (s.dbIdNr > 0 && s.dbIdNr <= 999999)
            used.insert(db::sixKey(s.dbIdNr));
    QSet<QString> given;
    int own = 0;
    for (size_t i = 0; i < e.students.size(); ++i) {
        const Student& s = e.students[i];
        if (p.studentByKey.contains(keyText(s.key)))
            throw FormatError(kSchueler, s.line,
                              QStringLiteral("Der Schüler %1 steht zweimal in der Datei.")
                                  .arg(studentText(s.key)));
        p.studentByKey.insert(keyText(s.key), static_cast<int>(i));
        QString key;
        if (s.dbIdNr > 0 && s.dbIdNr <= 999999 && !given.contains(db::sixKey(s.dbIdNr)))
            key = db::sixKey(s.dbIdNr);
        else {
            if (s.dbIdNr > 0)
                p.report << where(kSchueler, s.line) +
                                QStringLiteral("DB_IdNr %1 ist doppelt oder zu lang; der Schüler "
                                               "bekommt einen eigenen Schlüssel.")
                                    .arg(s.dbIdNr);
            do
                key = QStringLiteral("S%1").arg(++own, 5, 10, QLatin1Char('0'));
            while (used.contains(key));
        }
        given.insert(key);
        p.studentKeys << key;
    }
}

void planChoices(const Export& e, Plan& p) {
    QSet<QPair<int, int>> seen;
    for (size_t i = 0; i < e.choices.size(); ++i) {
        const Choice& w = e.choices[i];
        const auto student = p.studentByKey.constFind(keyText(w.student));
        if (student == p.studentByKey.cend()) {
            p.report << where(kFachwahlen, w.line) +
                            QStringLiteral("Der Schüler %1 fehlt in %2; seine Wahl wird nicht "
                                           "übernommen.")
                                .arg(studentText(w.student), kSchueler);
            continue;
        }
        const auto subject = p.subjectByKrz.constFind(w.fachkrz);
        if (subject == p.subjectByKrz.cend()) {
            p.report << where(kFachwahlen, w.line) +
                            QStringLiteral("Das Fach %1 fehlt in %2; die Wahl wird nicht "
                                           "übernommen.")
                                .arg(w.fachkrz, kFaecher);
            continue;
        }
        const QString art = choiceArt(w.kursart);
        if (art.isEmpty()) {
            p.report << where(kFachwahlen, w.line) +
                            QStringLiteral("Unbekannte Kursart %1; die Wahl wird nicht "
                                           "übernommen.")
                                .arg(w.kursart);
            continue;
        }
        if (!seen.contains({*student, *subject}))
            seen.insert({*student, *subject});
        else
            throw FormatError(kFachwahlen, w.line,
                              QStringLiteral("Der Schüler %1 wählt das Fach %2 zweimal.")
                                  .arg(studentText(w.student), w.fachkrz));
        int course = -1;
        if (!w.kurs.isEmpty()) {
            const auto k = p.courseByName.constFind(w.kurs);
            if (k == p.courseByName.cend() || p.courseKeys[*k].isEmpty())
                p.report << where(kFachwahlen, w.line) +
                                QStringLiteral("Der Kurs %1 fehlt in %2; die Wahl bleibt ohne "
                                               "Kurs.")
                                    .arg(w.kurs, kKurse);
            else
                course = *k;
        }
        p.choices.push_back({static_cast<int>(i), *student, *subject, course, art});
    }
}

Plan plan(const Export& e) {
    Plan p;
    p.report = e.warnings;
    p.yearGroup = yearGroupOf(e.blocking.jahrgang);
    if (p.yearGroup == 0) {
        p.report << kBlockung + QStringLiteral(": ") +
                        QStringLiteral("Unbekannter Jahrgang %1; er wird als Jahrgangsstufe 12 "
                                       "übernommen.")
                            .arg(e.blocking.jahrgang);
        p.yearGroup = 12;
    }
    if (e.blocking.jahr < 1900 || e.blocking.jahr > 9998)
        throw FormatError(kBlockung, 0,
                          QStringLiteral("Das Jahr %1 ist kein Schuljahr.").arg(e.blocking.jahr));
    p.schjBez = QStringLiteral("%1/%2").arg(e.blocking.jahr).arg(e.blocking.jahr + 1);
    p.cohort = p.yearGroup == 12 ? e.blocking.jahr : e.blocking.jahr - 1;
    planSubjects(e, p);
    planRails(e, p);
    planCourses(e, p);
    planPlacements(e, p);
    planStudents(e, p);
    planChoices(e, p);
    return p;
}

// The permitted choice types of a subject for the editor: "L" first where it has advanced
// courses or choices, then the basic letters its choices use (S and C at least).
QString belegOf(const Export& e, const Plan& p, int subject) {
    bool advanced = false;
    QString letters;
    for (size_t k = 0; k < e.courses.size(); ++k)
        if (p.subjectByKrz.value(e.courses[k].fach, -1) == subject &&
            courseLkgk(e.courses[k].kursart) == QLatin1String("L"))
            advanced = true;
    for (const Plan::ChoiceRow& c : p.choices)
        if (c.subject == subject) {
            if (c.art == QLatin1String("L"))
                advanced = true;
            else if (!letters.contains(c.art))
                letters += c.art;
        }
    QString beleg = advanced ? QStringLiteral("L") : QString();
    for (const QChar ch : QStringLiteral("SCX"))
        if (letters.contains(ch) || ch != QLatin1Char('X'))
            beleg += ch;
    return beleg;
}

// The teachers and the cohort's subjects with their kept names.
void fillTeachersAndSubjects(db::Connection& c, const Export& e, const Plan& p) {
    const QString phase = QString::number(p.cohort);
    for (int t = 0; t < p.teachers.size(); ++t) {
        const QString key = db::sixKey(t + 1);
        db::teachers::add(c, p.teacherKuerz[t], p.teachers[t].left(30), key);
        db::kept::put(c, db::kept::kTeacher, key, p.teachers[t], QString());
    }

    for (size_t i = 0; i < e.subjects.size(); ++i) {
        const Subject& s = e.subjects[i];
        const int n = static_cast<int>(i);
        int gkHours = 0;
        for (const Course& k : e.courses)
            if (k.fach == s.krz && courseLkgk(k.kursart) == QLatin1String("G") && gkHours == 0)
                gkHours = k.std;
        db::subjects::add(c, {phase, p.pschl[n], p.bez[n], belegOf(e, p, n),
                              gkHours > 0 && gkHours < 10 ? QString::number(gkHours) : QString(),
                              p.subjectKeys[n]});
        db::kept::put(c, db::kept::kSubject, p.subjectKeys[n], s.krz, keptSubject(s));
    }
}

// The rails and the students, keeping the export's names and values.
void fillRailsAndStudents(db::Connection& c, const Export& e, const Plan& p,
                          const QString& schjId) {
    const QString phase = QString::number(p.cohort);
    for (size_t r = 0; r < e.rails.size(); ++r) {
        const qint64 id = static_cast<qint64>(r) + 1;
        db::rails::add(c, {id, schjId, p.railBez[r], e.rails[r].bezeichnung.trimmed().left(30),
                           e.rails[r].id, p.railHours[r], db::sixKey(id)});
        db::kept::put(c, db::kept::kRail, db::sixKey(id), e.rails[r].bezeichnung,
                      keptRail(e.rails[r]));
    }

    for (size_t i = 0; i < e.students.size(); ++i) {
        const Student& s = e.students[i];
        const QString key = p.studentKeys[static_cast<int>(i)];
        db::students::add(c, phase,
                          {key, s.key.name.left(30), s.key.vorname.left(20), s.klasse.left(2)});
        db::kept::put(c, db::kept::kStudent, key, s.key.name + QStringLiteral(", ") + s.key.vorname,
                      keptStudent(s));
    }
}

// The courses in the year group's fields, their placements and the students' choices.
void fillCourses(db::Connection& c, const Export& e, const Plan& p, const QString& schjId) {
    for (size_t i = 0; i < e.courses.size(); ++i) {
        const int n = static_cast<int>(i);
        const QString& key = p.courseKeys[n];
        if (key.isEmpty())
            continue;
        const Course& k = e.courses[i];
        const QString subject = p.subjectKeys[p.subjectByKrz.value(k.fach)];
        const int teacher = p.courseTeacher[i];
        db::courses::add(c, {schjId, p.courseBez[n], n + 1,
                             teacher < 0 ? QVariant() : db::sixKey(teacher + 1), subject,
                             p.yearGroup, courseLkgk(k.kursart), QString::number(k.std), key});
        db::kept::put(c, db::kept::kCourse, key, k.name, keptCourse(k));
    }

    for (const Plan::PlacementRow& row : p.rows)
        db::placements::add(c, db::sixKey(row.rail + 1), p.courseKeys[row.course], row.fixed);

    qint64 bgId = 0;
    for (const Plan::ChoiceRow& row : p.choices) {
        const Choice& w = e.choices[static_cast<size_t>(row.choice)];
        const QString key = db::sixKey(++bgId);
        db::choices::add(c, {bgId, p.studentKeys[row.student], p.yearGroup,
                             row.course < 0 ? QVariant() : QVariant(p.courseKeys[row.course]),
                             p.subjectKeys[row.subject], row.art, key});
        db::kept::put(c, db::kept::kChoice, key, w.kursart, keptChoice(w));
    }
}

// The forbidden rails as the planner's rules, named by the short designations.
void fillForbiddenRails(db::Connection& c, const Export& e, const Plan& p, const QString& schjId) {
    for (size_t i = 0; i < e.courses.size(); ++i) {
        const Course& k = e.courses[i];
        if (p.courseKeys[static_cast<int>(i)].isEmpty())
            continue;
        QSet<int> done;
        for (int zero : k.gesperrt) {
            const auto rail = p.railById.constFind(zero + 1);
            if (rail == p.railById.cend()) {
                // Not in the plan beforehand, so kept out of it here too.
                continue;
            }
            if (done.contains(*rail))
                continue;
            done.insert(*rail);
            blocking::addRule(c, schjId, QStringLiteral("course-not-on-rail"),
                              {p.courseBez[static_cast<int>(i)], p.railBez[*rail]});
        }
    }
}

// Fills the new file with what the plan worked out.
void fill(db::Connection& c, const Export& e, const Plan& p, const QString& schjId) {
    db::kept::createTable(c);
    db::kept::put(c, db::kept::kBlocking, schjId, e.blocking.bezeichnung, keptBlocking(e.blocking));
    fillTeachersAndSubjects(c, e, p);
    fillRailsAndStudents(c, e, p, schjId);
    fillCourses(c, e, p, schjId);
    fillForbiddenRails(c, e, p, schjId);
}

// Rails named in Gesperrt that Schienen.txt lacks: reported, their rules left out.
void reportMissingRails(const Export& e, Plan& p) {
    for (const Course& k : e.courses)
        for (int zero : k.gesperrt)
            if (!p.railById.contains(zero + 1))
                p.report << where(kKurse, k.line) +
                                QStringLiteral("Die gesperrte Schiene %1 des Kurses %2 fehlt in "
                                               "%3; die Sperre wird nicht übernommen.")
                                    .arg(zero + 1)
                                    .arg(k.name, kSchienen);
}

// The result of the plan, before the file is written.
ImportResult resultOf(const Export& e, const Plan& p) {
    ImportResult r;
    r.report = p.report;
    r.schjBez = p.schjBez;
    r.cohort = p.cohort;
    r.students = static_cast<int>(e.students.size());
    r.rails = static_cast<int>(e.rails.size());
    r.teachers = static_cast<int>(p.teachers.size());
    r.choices = static_cast<int>(p.choices.size());
    for (const QString& key : p.courseKeys)
        r.courses += key.isEmpty() ? 0 : 1;
    for (const Plan::ChoiceRow& row : p.choices)
        r.choicesWithCourse += row.course >= 0 ? 1 : 0;
    return r;
}

} // namespace

QStringList summary(const ImportResult& r, const QString& target) {
    return {QStringLiteral("Die Blockbildungsdatei %1 wurde aus dem Export von Kurs42 erstellt.")
                .arg(target),
            QStringLiteral("Schuljahr %1, Kollegiatenjahrgang %2").arg(r.schjBez).arg(r.cohort),
            QStringLiteral("Schüler: %1").arg(r.students),
            QStringLiteral("Kurse: %1").arg(r.courses),
            QStringLiteral("Schienen: %1").arg(r.rails),
            QStringLiteral("Lehrer: %1").arg(r.teachers),
            QStringLiteral("Fachwahlen: %1, davon mit Kurs: %2")
                .arg(r.choices)
                .arg(r.choicesWithCourse),
            r.report.isEmpty() ? QStringLiteral("Nicht übernommen: nichts.")
                               : QStringLiteral("Nicht übernommen: %1 %2 (die Liste folgt).")
                                     .arg(r.report.size())
                                     .arg(r.report.size() == 1 ? QStringLiteral("Angabe")
                                                               : QStringLiteral("Angaben"))};
}

ImportResult importExport(const Export& e, const QString& target, const QString& pointerDir,
                          ui::Host& host) {
    Plan p = plan(e);
    reportMissingRails(e, p);
    ImportResult result = resultOf(e, p);

    bool replace = false;
    if (platform::fileExists(target)) {
        // As the import window asks; the old file is replaced only once the new one is complete.
        const ui::Answer a = host.message(
            {QStringLiteral("Im gewählten Verzeichnis ") + target +
                 QStringLiteral(" existieren bereits Blockdaten!\nSollen diese tatsächlich "
                                "überschrieben werden?"),
             QString(), ui::Icon::None, ui::Buttons::YesNo, 1, std::nullopt});
        if (a != ui::Answer::Yes)
            return result;
        replace = true;
    }
    if (!pointerDir.isEmpty())
        platform::checkWritable(pointerDir + platform::kPointerFileName);

    platform::PendingFile pending(target);
    db::createDatabase(pending.path());
    {
        db::Connection c(pending.path());
        db::Transaction tx(c);
        result.schjId = db::addSchoolYear(c, p.schjBez);
        fill(c, e, p, result.schjId);
        tx.commit();
    }
    db::settleJournal(target);
    pending.commit(replace ? platform::PendingFile::Replace::Yes
                           : platform::PendingFile::Replace::No);
    if (!pointerDir.isEmpty())
        platform::writePointerFile(pointerDir, target);
    result.imported = true;
    return result;
}

} // namespace exchange::kurs42

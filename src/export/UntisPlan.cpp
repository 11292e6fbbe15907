// The cohort's plan as the timetable's files hold it: lessons, students, memberships, clusters.
#include "blocking/Model.h"
#include "db/KeptNames.h"
#include "db/Students.h"
#include "db/Teachers.h"
#include "export/Merix.h"
#include "export/Untis.h"

#include <QDate>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <set>
#include <stdexcept>

namespace exporter::untis {

namespace {

QString fold(const QString& key) {
    return key.toUpper();
}

// The long name another program's blocking gave the row (db/KeptNames.h), else the own one.
QString keptOr(db::Connection& c, const QString& kind, const QString& key, const QString& own) {
    const db::kept::Entry e = db::kept::get(c, kind, key);
    return e.found && !e.name.trimmed().isEmpty() ? e.name.trimmed() : own.trimmed();
}

// The date of birth a Kurs42 import kept with the student (its GebDat, "DD.MM.YYYY") as
// YYYYMMDD; "" where none was kept.
QString keptBirthDate(db::Connection& c, const QString& key) {
    const db::kept::Entry e = db::kept::get(c, db::kept::kStudent, key);
    if (!e.found)
        return {};
    const QString text = QJsonDocument::fromJson(e.data.toUtf8())
                             .object()
                             .value(QLatin1String("gebDat"))
                             .toString()
                             .trimmed();
    const QDate date = QDate::fromString(text, QStringLiteral("d.M.yyyy"));
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

QString withoutBlanks(QString s) {
    s.remove(QLatin1Char(' '));
    return s;
}

QString gpuKey(const db::students::Person& p, const QString& birthDate, StudentKey form) {
    if (form == StudentKey::Id)
        return QStringLiteral("S-") + p.key.trimmed();
    return withoutBlanks(p.famName).toUpper() + QLatin1Char('_') +
           withoutBlanks(p.rufName).left(3) +
           (birthDate.isEmpty() ? QString() : QLatin1Char('_') + birthDate);
}

QString who(const db::students::Person& p) {
    QString name = QStringLiteral("Schüler ") + p.famName;
    if (!p.rufName.isEmpty())
        name += QStringLiteral(", ") + p.rufName;
    if (!p.parallelClass.isEmpty())
        name += QStringLiteral(" (") + p.parallelClass + QLatin1Char(')');
    return name;
}

// A note on many courses or rails: its title, then their names, several to a line.
void listNote(QStringList& notes, const QString& title, const QStringList& names) {
    if (names.isEmpty())
        return;
    notes << title;
    QString line;
    for (const QString& name : names) {
        if (!line.isEmpty() && line.size() + name.size() > 58) {
            notes << QStringLiteral("  ") + line + QLatin1Char(',');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(", ")) + name;
    }
    notes << QStringLiteral("  ") + line;
}

// Builds the plan step by step from the blocking's model of the cohort.
struct Reader {
    db::Connection& c;
    const blocking::Model& m;
    const Options& o;
    Plan& p;
    std::vector<int> lessonOf; // per course of the model: its lesson, -1 none
    QStringList withoutTeacher, unplaced, emptyRails;

    void lessons(const QString& yearId) {
        const QHash<QString, db::teachers::CourseTeacher> teachers =
            db::teachers::ofCourses(c, yearId);
        lessonOf.assign(m.courses.size(), -1);
        for (size_t k = 0; k < m.courses.size(); ++k) {
            const blocking::Course& course = m.courses[k];
            if (!course.own)
                continue;
            if (o.firstLesson + static_cast<qint64>(p.lessons.size()) > kMaxLesson)
                throw Refused(QStringLiteral("Die %1 Kurse des Jahrgangs brauchen von %2 an "
                                             "Unterrichtsnummern über %3.")
                                  .arg(m.ownCourses)
                                  .arg(o.firstLesson)
                                  .arg(kMaxLesson) +
                              kNothingWritten);
            Lesson l;
            l.number = o.firstLesson + static_cast<int>(p.lessons.size());
            l.course = keptOr(c, db::kept::kCourse, course.key, course.name);
            l.hours = course.hours;
            if (const auto t = teachers.constFind(fold(course.key)); t != teachers.cend())
                l.teacher = keptOr(c, db::kept::kTeacher, t->key, t->abbreviation);
            if (l.teacher.isEmpty())
                withoutTeacher << l.course;
            lessonOf[k] = static_cast<int>(p.lessons.size());
            p.lessons.push_back(l);
        }
    }

    void students() {
        QHash<QString, db::students::Person> byKey;
        for (const db::students::Person& person : db::students::ofCohort(c, o.cohort))
            if (!byKey.contains(fold(person.key)))
                byKey.insert(fold(person.key), person);
        QHash<QString, int> byGpuKey;
        for (int s = 0; s < m.ownStudents; ++s) {
            const db::students::Person person = byKey.value(fold(m.students[s].key));
            Student st;
            st.birthDate = keptBirthDate(c, person.key);
            st.key = gpuKey(person, st.birthDate, o.studentKey);
            st.famName = person.famName;
            st.rufName = person.rufName;
            st.externalId = person.key.trimmed();
            st.who = who(person);
            if (const auto twin = byGpuKey.constFind(fold(st.key)); twin != byGpuKey.cend())
                throw Refused(QStringLiteral("%1 und %2 bekämen denselben Schlüssel „%3“; die "
                                             "Schüler müssen im Stundenplan verschiedene "
                                             "Schlüssel haben. Wählen Sie die Schlüsselform "
                                             "„Kennung“ (id).")
                                  .arg(p.students[*twin].who, st.who, st.key) +
                              kNothingWritten);
            byGpuKey.insert(fold(st.key), s);
            p.students.push_back(st);
        }
    }

    // Per student his courses, each once: those of his choices with the courses that could
    // serve the choice as alternatives, then those of his other rows alone.
    void memberships() {
        for (int s = 0; s < m.ownStudents; ++s) {
            const blocking::Student& student = m.students[s];
            std::set<int> taken;
            int withoutCourse = 0;
            const auto add = [&](int course, const std::vector<int>& parallels) {
                const int lesson = lessonOf[course];
                if (lesson < 0) {
                    p.notes << QStringLiteral("%1: Kurs %2 gehört nicht zum Jahrgang")
                                   .arg(p.students[s].who, m.courses[course].name);
                    return;
                }
                if (!taken.insert(lesson).second)
                    return;
                Membership ms{s, lesson, {lesson}};
                for (int k : parallels)
                    if (lessonOf[k] >= 0)
                        ms.alternatives.push_back(lessonOf[k]);
                std::sort(ms.alternatives.begin(), ms.alternatives.end());
                ms.alternatives.erase(std::unique(ms.alternatives.begin(), ms.alternatives.end()),
                                      ms.alternatives.end());
                ++p.lessons[lesson].students;
                p.memberships.push_back(std::move(ms));
            };
            for (int i = student.firstChoice; i < student.firstChoice + student.choiceCount; ++i) {
                const int course = m.assignment[i];
                const int type = m.choices[i].type;
                if (course < 0)
                    ++withoutCourse;
                else
                    add(course, type >= 0 ? m.types[type].candidates : std::vector<int>{});
            }
            for (int course : student.fixedCourses)
                add(course, {});
            if (withoutCourse > 0)
                p.notes << QStringLiteral("%1: %2 Belegung(en) ohne Kurs")
                               .arg(p.students[s].who)
                               .arg(withoutCourse);
            else if (taken.empty())
                p.notes << QStringLiteral("%1: ohne Kurs").arg(p.students[s].who);
        }
    }

    void clusters() {
        std::vector<bool> placed(p.lessons.size(), false);
        for (size_t r = 0; r < m.rails.size(); ++r) {
            Cluster cl;
            cl.name = keptOr(c, db::kept::kRail, m.rails[r].key, m.rails[r].name);
            cl.hours = m.rails[r].hours;
            for (size_t k = 0; k < m.courses.size(); ++k)
                if (lessonOf[k] >= 0 && m.placement.rails[k].has(static_cast<int>(r))) {
                    cl.lessons.push_back(lessonOf[k]);
                    placed[lessonOf[k]] = true;
                }
            if (cl.lessons.empty())
                emptyRails << cl.name;
            else
                p.clusters.push_back(std::move(cl));
        }
        for (size_t l = 0; l < placed.size(); ++l)
            if (!placed[l])
                unplaced << p.lessons[l].course;
    }
};

} // namespace

Plan readPlan(db::Connection& c, const blocking::SchoolYear& year, const Options& o) {
    bool number = false;
    const int cohort = o.cohort.trimmed().toInt(&number);
    if (!number)
        throw std::runtime_error(
            QStringLiteral("Der Jahrgang „%1“ ist keine Jahreszahl.").arg(o.cohort).toStdString());
    const blocking::Model m = blocking::Model::load(c, year, cohort);
    Plan p;
    p.yearGroup = QString::number(m.yearGroup);
    Reader r{c, m, o, p, {}, {}, {}, {}};
    r.lessons(year.id);
    r.students();
    r.memberships();
    r.clusters();
    QStringList studentNotes;
    std::swap(studentNotes, p.notes);
    listNote(p.notes, QStringLiteral("Kurse ohne Lehrer (GPU002 Feld 6 leer):"), r.withoutTeacher);
    listNote(p.notes, QStringLiteral("Kurse auf keiner Schiene (nicht in GPU019):"), r.unplaced);
    listNote(p.notes, QStringLiteral("Schienen ohne Kurs des Jahrgangs (nicht in GPU019):"),
             r.emptyRails);
    p.notes += studentNotes;
    return p;
}

} // namespace exporter::untis

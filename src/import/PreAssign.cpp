#include "import/PreAssign.h"

#include "common/MessageWindow.h"
#include "db/Choices.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"
#include "db/Students.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

#include <QHash>
#include <QRegularExpression>

namespace importer {

std::vector<CourseCandidate> findCourses(db::Connection& c, const QString& schjId,
                                         const QString& subject, const QString& kind,
                                         const QString& code, const QString& yg) {
    return db::courses::forSubject(c, schjId, subject, kind, code, yg);
}

bool countsInYearGroup(const QString& art, const QString& yg) {
    static const QRegularExpression year12Types(QStringLiteral("^[LASCX]$"));
    static const QRegularExpression year13Types(QStringLiteral("^[LBSCX]$"));
    return (yg == QLatin1String("12") ? year12Types : year13Types).match(art).hasMatch();
}

namespace {

struct Student {
    QString phase;
    QString name;
};

// One choice as the pre-assignment reads it.
struct Choice {
    qint64 id;
    QString student, ks12, fa, art;
    bool has12, has13;
};

// The students by key (upper case), the first row of a key counting.
QHash<QString, Student> loadStudents(db::Connection& c) {
    QHash<QString, Student> students;
    for (const db::students::Student& s : db::students::all(c)) {
        const QString key = s.key.toUpper();
        if (!students.contains(key))
            students.insert(key, {s.cohort, s.famName.trimmed()});
    }
    return students;
}

// Key (upper case) -> trimmed designation; the first row of a key counts.
QHash<QString, QString> designationsByKey(const std::vector<std::pair<QString, QString>>& rows) {
    QHash<QString, QString> bez;
    for (const auto& [key, name] : rows)
        if (!bez.contains(key.toUpper()))
            bez.insert(key.toUpper(), name.trimmed());
    return bez;
}

std::vector<Choice> loadChoices(db::Connection& c) {
    std::vector<Choice> rows;
    for (const db::choices::Choice& r : db::choices::all(c))
        rows.push_back({r.bgId, r.student, r.course12.toString(), r.subject, r.art,
                        !r.course12.isNull(), !r.course13.isNull()});
    return rows;
}

// The year group of a student of cohort phase in the school year schjBez as text, "" for a
// cohort in neither.
QString yearGroupOf(const QString& phase, const QString& schjBez) {
    const int group = db::yearGroup(phase.toInt(), schjBez);
    return group == 0 ? QString() : QString::number(group);
}

// The course look-up depends only on subject, kind, code and year group: asked once each.
class CourseLookup {
public:
    CourseLookup(db::Connection& c, const QString& schjId) : c_(c), schjId_(schjId) {}

    // The courses of the choice's subject and kind for its year group's code, else for "50".
    const std::vector<CourseCandidate>& forChoice(const Choice& r, const QString& yg) {
        const QString kind =
            r.art == QLatin1String("L") ? QStringLiteral("L") : QStringLiteral("K");
        const QString code =
            yg == QLatin1String("12") ? QStringLiteral("11") : QStringLiteral("12");
        const std::vector<CourseCandidate>& list = find(r.fa, kind, code, yg);
        if (!list.empty())
            return list;
        return find(r.fa, kind, QStringLiteral("50"), yg);
    }

private:
    const std::vector<CourseCandidate>& find(const QString& subject, const QString& kind,
                                             const QString& code, const QString& yg) {
        const QString key =
            subject + QLatin1Char('|') + kind + QLatin1Char('|') + code + QLatin1Char('|') + yg;
        auto it = cache_.find(key);
        if (it != cache_.end())
            return *it;
        return *cache_.insert(key, findCourses(c_, schjId_, subject, kind, code, yg));
    }

    db::Connection& c_;
    const QString& schjId_;
    QHash<QString, std::vector<CourseCandidate>> cache_;
};

// Of several courses, a year-13 choice takes the one whose name continues the student's
// year-12 course (all but the first character equal); else the first.
size_t continuingCourse(const std::vector<CourseCandidate>& list, const Choice& r,
                        const QHash<QString, QString>& courseBez) {
    if (list.size() <= 1 || r.ks12.isEmpty())
        return 0;
    const auto b = courseBez.constFind(r.ks12.toUpper());
    if (b == courseBez.constEnd() || b->isEmpty())
        return 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].bez.mid(1) == b->mid(1))
            return i;
    return 0;
}

// The message window's line of a choice without a course: cohort, subject, name.
QString notServedLine(const Student& st, const Choice& r,
                      const QHash<QString, QString>& subjectBez) {
    const auto subject = subjectBez.constFind(r.fa.toUpper());
    return importer::notServedLine(st.phase, subject != subjectBez.constEnd() ? *subject : r.fa,
                                   st.name);
}

QString assignedStatus(const Student& st, const CourseCandidate& course) {
    return st.phase + QStringLiteral(": ") + (st.name + QString(30, QLatin1Char(' '))).left(30) +
           QStringLiteral(": ") + course.bez;
}

} // namespace

QString notServedLine(const QString& phase, const QString& subject, const QString& name) {
    return phase + QStringLiteral(": Fach: ") + (subject + QStringLiteral("    ")).left(4) +
           QLatin1Char(' ') + name;
}

QString Vorbesetzen(const platform::RunState& s, ui::Host& host, common::frmFMld& window) {
    db::Connection c(s.databasePath());
    if (db::choices::count(c) == 0) {
        host.setStatus(QString());
        return {};
    }
    const QHash<QString, Student> students = loadStudents(c);
    const QHash<QString, QString> courseBez = designationsByKey(db::courses::designations(c));
    const QHash<QString, QString> subjectBez =
        designationsByKey(db::courses::subjectDesignations(c));
    CourseLookup courses(c, s.SchjID);
    const std::vector<Choice> rows = loadChoices(c);

    db::Transaction tx(c);
    db::Statement set12 = db::courseWriter(c, 12);
    db::Statement set13 = db::courseWriter(c, 13);
    QString lines;
    for (const Choice& r : rows) {
        const auto st = students.constFind(r.student.toUpper());
        if (st == students.constEnd())
            continue;
        const QString yg = yearGroupOf(st->phase, s.SchjBez);
        if (yg.isEmpty())
            continue;
        const bool twelve = yg == QLatin1String("12");
        if ((twelve ? r.has12 : r.has13) || !countsInYearGroup(r.art, yg))
            continue;
        const std::vector<CourseCandidate>& list = courses.forChoice(r, yg);
        if (list.empty()) {
            const QString line = notServedLine(*st, r, subjectBez);
            window.appendLine(line);
            lines += line + platform::kCrLf;
            continue;
        }
        const CourseCandidate& course = list[twelve ? 0 : continuingCourse(list, r, courseBez)];
        (twelve ? set12 : set13).run({course.key, r.id});
        host.setStatus(assignedStatus(*st, course));
    }
    tx.commit();
    host.setStatus(QString());
    return lines;
}

void runPreAssignment(const platform::RunState& s, ui::Host& host) {
    common::frmFMld window(host);
    Vorbesetzen(s, host, window);
    if (!window.txtFMld.isEmpty())
        host.showModal(window);
}

} // namespace importer

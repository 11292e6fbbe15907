#include "placement/AssignTeacher.h"

#include "db/Database.h"
#include "db/Teachers.h"
#include "placement/Workspace.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <utility>

namespace placement {

namespace {

bool sameTeacher(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

AssignTeacher::AssignTeacher(Workspace& ws, ui::Host& host, QString courseKey)
    : ws_(ws), host_(host), course_(std::move(courseKey)) {}

bool AssignTeacher::keyOf(db::Connection& c, const QString& kuerzel, QString& key) {
    key.clear();
    if (kuerzel.trimmed().isEmpty())
        return true;
    for (const db::teachers::Teacher& t : db::teachers::all(c))
        if (t.kuerzel.compare(kuerzel.trimmed(), Qt::CaseInsensitive) == 0) {
            key = t.key;
            return true;
        }
    ui::tell(host_,
             QStringLiteral("Einen Lehrer mit dem Kürzel %1 gibt es nicht. Neue Lehrer erfassen "
                            "Sie unter Bearbeiten - Lehrer.")
                 .arg(kuerzel.trimmed()),
             ui::Icon::Exclamation);
    return false;
}

void AssignTeacher::run(db::Connection& c) {
    const QString name = ws_.plan.course(course_).name.trimmed();
    // No lock is held while the planner answers.
    const std::optional<QString> kuerzel = host_.inputBox(
        QStringLiteral("Kürzel des Lehrers für den Kurs %1 (leer: kein Lehrer):").arg(name),
        QStringLiteral("Lehrer zuweisen"), ws_.teacherOf(course_));
    QString key;
    if (!kuerzel || !keyOf(c, *kuerzel, key))
        return;
    db::Transaction tx(c);
    const std::optional<QString> stored = db::teachers::teacherOfCourse(c, course_);
    if (!stored)
        throw std::runtime_error(
            QStringLiteral("Den Kurs %1 gibt es nicht mehr.").arg(name).toStdString());
    if (sameTeacher(*stored, key))
        return;
    db::teachers::setTeacherOfCourse(c, course_, key);
    tx.commit();
    before_ = *stored;
    after_ = key;
    changed_ = true;
    show(c);
}

bool AssignTeacher::put(db::Connection& c, const QString& from, const QString& to) {
    {
        db::ReadTransaction read(c);
        const std::optional<QString> stored = db::teachers::teacherOfCourse(c, course_);
        read.end();
        if (!stored || (!sameTeacher(*stored, from) &&
                        host_.message({QStringLiteral("Ein anderes Programm hat dem Kurs %1 "
                                                      "inzwischen einen anderen Lehrer gegeben. "
                                                      "Trotzdem ändern?")
                                           .arg(ws_.plan.course(course_).name.trimmed()),
                                       ui::kTitle, ui::Icon::Question, ui::Buttons::YesNo, 1,
                                       std::nullopt}) != ui::Answer::Yes))
            return false;
    }
    db::Transaction tx(c);
    db::teachers::setTeacherOfCourse(c, course_, to);
    tx.commit();
    show(c);
    return true;
}

void AssignTeacher::show(db::Connection& c) {
    ws_.lehrer = db::teachers::ofCourses(c, ws_.state().SchjID);
    // The evaluation's model holds the teachers: it is read again.
    ws_.coursesStale = true;
    ws_.showChanges();
}

} // namespace placement

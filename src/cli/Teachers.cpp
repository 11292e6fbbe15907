// kubb teachers: who teaches which course of the school year, as the window "Lehrer" shows it.
#include "cli/Commands.h"

#include "common/Session.h"
#include "db/Database.h"
#include "editors/LehrerWrites.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace cli {

namespace {

using namespace editors::lehrer;

QJsonObject courseJson(const Course& c) {
    return {{QStringLiteral("course"), c.bez},
            {QStringLiteral("hours"), c.hours},
            {QStringLiteral("rails"), QJsonArray::fromStringList(c.rails)}};
}

void printJson(const Staff& s) {
    QJsonArray teachers;
    for (const Teacher& t : s.teachers) {
        const Load load = s.loadOf(t);
        QJsonArray courses;
        for (const Course* c : load.courses)
            courses.append(courseJson(*c));
        teachers.append(QJsonObject{
            {QStringLiteral("kuerzel"), t.kuerzel},
            {QStringLiteral("name"), t.name},
            {QStringLiteral("hours"), load.hours},
            {QStringLiteral("courses"), courses},
            {QStringLiteral("rails"), QJsonArray::fromStringList(load.rails)},
            {QStringLiteral("clashRails"), QJsonArray::fromStringList(load.clashRails)}});
    }
    QJsonArray without;
    for (const Course& c : s.courses)
        if (!s.teacherOf(c))
            without.append(courseJson(c));
    out() << QJsonDocument(QJsonObject{{QStringLiteral("teachers"), teachers},
                                       {QStringLiteral("coursesWithoutTeacher"), without}})
                 .toJson(QJsonDocument::Indented);
}

// A course as the list shows it: "1M1 (3 Std., GK1 GK2)".
QString courseText(const Course& c) {
    return QStringLiteral("%1 (%2 Std.%3)")
        .arg(c.bez)
        .arg(c.hours)
        .arg(c.rails.isEmpty() ? QString() : QStringLiteral(", ") + c.rails.join(QLatin1Char(' ')));
}

void printText(const Staff& s) {
    if (s.teachers.empty())
        out() << "Keine Lehrer.\n";
    for (const Teacher& t : s.teachers) {
        const Load load = s.loadOf(t);
        QStringList courses;
        for (const Course* c : load.courses)
            courses << courseText(*c);
        out() << t.kuerzel.leftJustified(5) << t.name.leftJustified(31) << load.hours << " Std.: "
              << (courses.isEmpty() ? QStringLiteral("keine Kurse") : courses.join(", "))
              << (load.clashRails.isEmpty()
                      ? QString()
                      : QStringLiteral("; mehrere Kurse auf ") + load.clashRails.join(", "))
              << "\n";
    }
    QStringList without;
    for (const Course& c : s.courses)
        if (!s.teacherOf(c))
            without << c.bez;
    if (!without.isEmpty())
        out() << "Kurse ohne Lehrer: " << without.join(", ") << "\n";
}

const Teacher& teacherNamed(const Staff& s, const QString& kuerzel) {
    if (const Teacher* t = s.byKuerzel(kuerzel))
        return *t;
    throw std::runtime_error(("Unbekannter Lehrer: " + kuerzel).toStdString());
}

const Course& courseNamed(const Staff& s, const QString& bez) {
    if (const Course* c = s.courseNamed(bez))
        return *c;
    throw std::runtime_error(("Unbekannter Kurs: " + bez).toStdString());
}

// Runs the verb on the file; what it says when done.
QString change(db::Connection& c, const Staff& s, const QString& schjId, const QStringList& w) {
    const QString verb = w[0];
    if (verb == QLatin1String("add")) {
        add(c, w[1], w.value(2));
        return QStringLiteral("Lehrer %1 hinzugefügt.").arg(w[1].trimmed());
    }
    if (verb == QLatin1String("rename")) {
        const Teacher& t = teacherNamed(s, w[1]);
        rename(c, t, w[2], t.name);
        return QStringLiteral("Lehrer %1 heißt jetzt %2.").arg(t.kuerzel, w[2].trimmed());
    }
    if (verb == QLatin1String("remove")) {
        const Teacher& t = teacherNamed(s, w[1]);
        const QStringList former = remove(c, t, schjId);
        return QStringLiteral("Lehrer %1 gelöscht.").arg(named(t)) +
               (former.isEmpty() ? QString()
                                 : QStringLiteral(" Ohne Lehrer jetzt (frühere Schuljahre): ") +
                                       former.join(QStringLiteral(", ")));
    }
    const Course& course = courseNamed(s, w[1]);
    if (verb == QLatin1String("assign")) {
        const Teacher& t = teacherNamed(s, w[2]);
        assign(c, course, t.key);
        return QStringLiteral("Kurs %1: Lehrer %2.").arg(course.bez, named(t));
    }
    assign(c, course, QString());
    return QStringLiteral("Kurs %1: ohne Lehrer.").arg(course.bez);
}

void checkWords(const QStringList& w, bool json) {
    const QString verb = w.value(0);
    const auto takes = [&](int from, int to) { return w.size() > from && w.size() <= to + 1; };
    if (!((verb == QLatin1String("list") && takes(0, 0)) ||
          (verb == QLatin1String("add") && takes(1, 2)) ||
          (verb == QLatin1String("rename") && takes(2, 2)) ||
          (verb == QLatin1String("remove") && takes(1, 1)) ||
          (verb == QLatin1String("assign") && takes(2, 2)) ||
          (verb == QLatin1String("unassign") && takes(1, 1))))
        throw UsageError(QStringLiteral("teachers braucht list, add KÜRZEL [NAME], rename KÜRZEL "
                                        "NEU, remove KÜRZEL, assign KURS KÜRZEL oder unassign "
                                        "KURS"));
    if (json && verb != QLatin1String("list"))
        throw UsageError(QStringLiteral("--json gilt nur für list"));
}

} // namespace

int runTeachers(const Args& a) {
    a.allowOnly({QStringLiteral("--db"), QStringLiteral("--json")});
    const QString path = pathArg(a.required(QStringLiteral("--db"))).trimmed();
    const QStringList w = a.words();
    const bool json = a.flag(QStringLiteral("--json"));
    checkWords(w, json);
    platform::RunState s;
    s.useDatabase(path);
    common::LiesSchj(s, host());
    requireSchoolYear(s);
    db::Connection c(path);
    const Staff staff = read(c, s.SchjID);
    if (w[0] == QLatin1String("list")) {
        json ? printJson(staff) : printText(staff);
    } else {
        out() << change(c, staff, s.SchjID, w) << "\n";
    }
    out().flush();
    return 0;
}

} // namespace cli

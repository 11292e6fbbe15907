#include "editors/LehrerWrites.h"

#include "db/Database.h"

namespace editors::lehrer {

namespace {

const QString kUnchanged = QStringLiteral(" Nichts wurde geändert.");

QString fold(const QString& key) {
    return key.trimmed().toUpper();
}

bool sameTeacher(const Teacher& a, const Teacher& b) {
    return sameKey(a.key, b.key) && a.kuerzel == b.kuerzel && a.name == b.name;
}

// The teacher as read must still be stored as he was.
void requireUnchanged(db::Connection& c, const Teacher& read) {
    const std::optional<Teacher> now = db::teachers::byKey(c, read.key);
    if (!now || !sameTeacher(*now, read))
        throw Refused(QStringLiteral("Der Lehrer %1 wurde inzwischen geändert oder gelöscht.")
                          .arg(named(read)) +
                      kUnchanged);
}

void requireFreeKuerzel(db::Connection& c, const QString& kuerzel, const QString& ownKey) {
    if (kuerzel.isEmpty())
        throw Refused(QStringLiteral("Das Kürzel darf nicht leer sein."));
    db::checkValue(QStringLiteral("lehrer"), QStringLiteral("LE_KUERZ"), kuerzel);
    if (db::teachers::kuerzelTaken(c, kuerzel, ownKey))
        throw Refused(QStringLiteral("Das Kürzel %1 hat schon ein anderer Lehrer.").arg(kuerzel));
}

} // namespace

bool sameKey(const QString& a, const QString& b) {
    return fold(a) == fold(b);
}

QString named(const Teacher& t) {
    return t.name.isEmpty() ? t.kuerzel : QStringLiteral("%1 (%2)").arg(t.kuerzel, t.name);
}

Load Staff::loadOf(const Teacher& t) const {
    Load load;
    QHash<QString, int> onRail;
    for (const Course& c : courses) {
        if (c.teacher.trimmed().isEmpty() || !sameKey(c.teacher, t.key))
            continue;
        load.courses.push_back(&c);
        load.hours += c.hours;
        for (const QString& rail : c.rails) {
            if (!onRail.contains(rail))
                load.rails << rail;
            if (++onRail[rail] == 2)
                load.clashRails << rail;
        }
    }
    return load;
}

const Teacher* Staff::teacherOf(const Course& c) const {
    if (c.teacher.trimmed().isEmpty())
        return nullptr;
    for (const Teacher& t : teachers)
        if (sameKey(t.key, c.teacher))
            return &t;
    return nullptr;
}

const Teacher* Staff::byKuerzel(const QString& kuerzel) const {
    for (const Teacher& t : teachers)
        if (t.kuerzel.compare(kuerzel.trimmed(), Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

const Course* Staff::courseNamed(const QString& bez) const {
    const Course* found = nullptr;
    for (const Course& c : courses) {
        if (c.bez.compare(bez.trimmed(), Qt::CaseInsensitive) != 0)
            continue;
        if (found)
            throw Refused(
                QStringLiteral("Der Kurs %1 ist nicht eindeutig: mehrere Kurse heißen so.")
                    .arg(bez.trimmed()));
        found = &c;
    }
    return found;
}

Staff read(db::Connection& c, const QString& schjId) {
    db::ReadTransaction tx(c);
    Staff s{db::teachers::all(c), db::teachers::coursesOfYear(c, schjId)};
    tx.end();
    return s;
}

QString add(db::Connection& c, const QString& kuerzel, const QString& name) {
    db::Transaction tx(c);
    requireFreeKuerzel(c, kuerzel.trimmed(), QString());
    const QString key = db::teachers::add(c, kuerzel.trimmed(), name.trimmed());
    tx.commit();
    return key;
}

void rename(db::Connection& c, const Teacher& read, const QString& kuerzel, const QString& name) {
    db::Transaction tx(c);
    requireUnchanged(c, read);
    requireFreeKuerzel(c, kuerzel.trimmed(), read.key);
    db::teachers::update(c, read.key, kuerzel.trimmed(), name.trimmed());
    tx.commit();
}

QStringList formerCourses(db::Connection& c, const Teacher& t, const QString& schjId) {
    return db::teachers::coursesTaughtBy(c, t.key, schjId, false);
}

QStringList remove(db::Connection& c, const Teacher& read, const QString& schjId) {
    db::Transaction tx(c);
    requireUnchanged(c, read);
    const QStringList taught = db::teachers::coursesTaughtBy(c, read.key, schjId, true);
    if (!taught.isEmpty())
        throw Refused(
            QStringLiteral("Der Lehrer %1 unterrichtet noch %2 %3 und kann nicht "
                           "gelöscht werden. Geben Sie %4 zuerst einen anderen Lehrer.")
                .arg(named(read),
                     taught.size() == 1 ? QStringLiteral("den Kurs") : QStringLiteral("die Kurse"),
                     taught.join(QStringLiteral(", ")),
                     taught.size() == 1 ? QStringLiteral("diesem Kurs")
                                        : QStringLiteral("diesen Kursen")));
    const QStringList former = formerCourses(c, read, schjId);
    db::teachers::dropFromOtherYears(c, read.key, schjId);
    db::teachers::remove(c, read.key);
    tx.commit();
    return former;
}

void assign(db::Connection& c, const Course& read, const QString& teacherKey) {
    db::Transaction tx(c);
    const std::optional<QString> now = db::teachers::teacherOfCourse(c, read.key);
    if (!now)
        throw Refused(QStringLiteral("Den Kurs %1 gibt es nicht mehr.").arg(read.bez) + kUnchanged);
    if (!sameKey(*now, read.teacher))
        throw Refused(
            QStringLiteral("Der Kurs %1 hat inzwischen einen anderen Lehrer.").arg(read.bez) +
            kUnchanged);
    if (!teacherKey.isEmpty() && !db::teachers::byKey(c, teacherKey))
        throw Refused(QStringLiteral("Den Lehrer gibt es nicht mehr.") + kUnchanged);
    db::teachers::setTeacherOfCourse(c, read.key, teacherKey);
    tx.commit();
}

} // namespace editors::lehrer

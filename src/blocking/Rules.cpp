#include "blocking/Rules.h"

#include "db/Courses.h"
#include "db/Database.h"
#include "db/KeptNames.h"
#include "db/Rails.h"
#include "db/RuleStore.h"
#include "db/Students.h"

#include <optional>
#include <stdexcept>

namespace blocking {

namespace {

[[noreturn]] void refuse(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

// The key of the school year's course or rail that another program named so; "" for none.
QString keptKey(db::Connection& c, const QString& schoolYear, RuleArg what, const QString& name) {
    if (what != RuleArg::Course && what != RuleArg::Rail)
        return {};
    const bool course = what == RuleArg::Course;
    for (const QString& key :
         db::kept::keysNamed(c, course ? db::kept::kCourse : db::kept::kRail, name))
        if (course ? db::courses::exists(c, schoolYear, key)
                   : db::rails::exists(c, schoolYear, key))
            return key;
    return {};
}

// The keys of what the name may name, in the order the first is taken; with the message for a
// name that names nothing.
QStringList keysNamed(db::Connection& c, const QString& schoolYear, RuleArg what, const QString& n,
                      QString& unknown) {
    switch (what) {
    case RuleArg::Course:
        unknown = QStringLiteral("Unbekannter Kurs: ");
        return db::courses::keysNamed(c, schoolYear, n);
    case RuleArg::Rail:
        unknown = QStringLiteral("Unbekannte Schiene: ");
        return db::rails::keysNamed(c, schoolYear, n);
    case RuleArg::Student:
        unknown = QStringLiteral("Unbekannter Schüler: ");
        return db::students::keysLike(c, n);
    case RuleArg::Subject:
        // By its key in the administration's plan or by its abbreviation, as the planner knows it.
        unknown = QStringLiteral("Unbekanntes Fach: ");
        return db::courses::planKeysNamed(c, n);
    case RuleArg::None:
        break;
    }
    return {};
}

// The key of what the name names, looked up as the planner writes it.
QString keyOf(db::Connection& c, const QString& schoolYear, RuleArg what, const QString& name) {
    if (what == RuleArg::None)
        return {};
    const QString n = name.trimmed();
    QString unknown;
    const QStringList keys = keysNamed(c, schoolYear, what, n, unknown);
    if (n.isEmpty())
        refuse(unknown + n);
    if (keys.isEmpty()) {
        // A course or rail taken over from another program is also found by the name it had
        // there, which the designation's 6 characters could not hold.
        if (const QString key = keptKey(c, schoolYear, what, n); !key.isEmpty())
            return key;
        refuse(unknown + n);
    }
    if (what == RuleArg::Course && keys.size() > 1)
        refuse(QStringLiteral("Der Kurs %1 ist nicht eindeutig: mehrere Kurse heißen so.").arg(n));
    return keys.front();
}

// The designation of today for a stored key; "?key" when its row is gone. people: a student
// with his name after the key.
QString nameOf(db::Connection& c, const QString& schoolYear, RuleArg what, const QString& key,
               bool people = false) {
    std::optional<QString> name;
    switch (what) {
    case RuleArg::Course:
        name = db::courses::designation(c, schoolYear, key);
        break;
    case RuleArg::Rail:
        name = db::rails::designation(c, schoolYear, key);
        break;
    case RuleArg::Student:
        name = db::students::designation(c, key, people);
        break;
    case RuleArg::Subject:
        // The abbreviation the planner reads; the key where the subject has none.
        name = db::courses::subjectAbbreviation(c, key);
        break;
    case RuleArg::None:
        return key;
    }
    return name ? *name : QStringLiteral("?") + key.trimmed();
}

} // namespace

const std::vector<RuleKindInfo>& ruleKinds() {
    using enum RuleArg;
    static const std::vector<RuleKindInfo> kinds = {
        {RuleKind::CourseNotOnRail, "course-not-on-rail", Course, Rail, "Kurs nie auf der Schiene"},
        {RuleKind::CoursesTogether, "courses-together", Course, Course,
         "Kurse auf denselben Schienen"},
        {RuleKind::CoursesApart, "courses-apart", Course, Course, "Kurse nie auf einer Schiene"},
        {RuleKind::ParallelsApart, "parallels-apart", Subject, None,
         "Parallelkurse eines Fachs auf verschiedenen Schienen"},
        {RuleKind::StudentInCourse, "student-in-course", Student, Course, "Schüler in dem Kurs"},
        {RuleKind::StudentNotInCourse, "student-not-in-course", Student, Course,
         "Schüler nie in dem Kurs"},
        {RuleKind::StudentsTogether, "students-together", Student, Student,
         "Schüler in denselben Kursen"},
        {RuleKind::StudentsApart, "students-apart", Student, Student,
         "Schüler in verschiedenen Kursen"},
    };
    return kinds;
}

const RuleKindInfo& ruleKind(RuleKind k) {
    return ruleKinds()[static_cast<size_t>(k)];
}

std::vector<Rule> loadRules(db::Connection& c, const QString& schoolYear) {
    std::vector<Rule> rules;
    for (const db::rules::StoredRule& r : db::rules::ofSchoolYear(c, schoolYear))
        for (const RuleKindInfo& k : ruleKinds())
            if (r.kind == QLatin1String(k.name))
                rules.push_back({r.id, k.kind, r.first, r.second});
    return rules;
}

Rule addRule(db::Connection& c, const QString& schoolYear, const QString& kind,
             const QStringList& names) {
    const RuleKindInfo* info = nullptr;
    QStringList known;
    for (const RuleKindInfo& k : ruleKinds()) {
        known << QLatin1String(k.name);
        if (kind.trimmed().compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            info = &k;
    }
    if (!info)
        refuse(QStringLiteral("Unbekannte Regel: %1 (bekannt: %2)")
                   .arg(kind, known.join(QStringLiteral(", "))));
    const int wanted = info->second == RuleArg::None ? 1 : 2;
    if (names.size() != wanted)
        refuse(QStringLiteral("Die Regel %1 braucht %2 Angabe%3.")
                   .arg(QLatin1String(info->name))
                   .arg(wanted)
                   .arg(wanted == 1 ? QString() : QStringLiteral("n")));
    db::Transaction tx(c);
    Rule r;
    r.kind = info->kind;
    r.first = keyOf(c, schoolYear, info->first, names[0]);
    // An empty text, not NULL: the field is NOT NULL.
    r.second = wanted == 2 ? keyOf(c, schoolYear, info->second, names[1]) : QStringLiteral("");
    if (info->first == info->second && r.first == r.second)
        refuse(QStringLiteral("Die Regel %1 braucht zwei verschiedene Angaben.")
                   .arg(QLatin1String(info->name)));
    db::rules::create(c);
    for (const Rule& o : loadRules(c, schoolYear)) {
        const bool same = o.first == r.first && o.second == r.second;
        const bool swapped =
            info->first == info->second && o.first == r.second && o.second == r.first;
        if (o.kind == r.kind && (same || swapped))
            refuse(QStringLiteral("Die Regel gibt es schon: %1 %2")
                       .arg(QLatin1String(info->name), names.join(QLatin1Char(' '))));
    }
    r.id = db::rules::add(c, schoolYear, QLatin1String(info->name), r.first, r.second);
    tx.commit();
    return r;
}

void removeRule(db::Connection& c, const QString& schoolYear, int n) {
    db::Transaction tx(c);
    const std::vector<Rule> rules = loadRules(c, schoolYear);
    if (n < 1 || n > static_cast<int>(rules.size()))
        refuse(QStringLiteral("Es gibt keine Regel %1.").arg(n));
    db::rules::remove(c, rules[n - 1].id);
    tx.commit();
}

QStringList ruleNames(db::Connection& c, const QString& schoolYear, RuleArg what) {
    switch (what) {
    case RuleArg::Course:
        return db::courses::designations(c, schoolYear);
    case RuleArg::Rail:
        return db::rails::designations(c, schoolYear);
    case RuleArg::Student:
        return db::students::listing(c);
    case RuleArg::Subject:
        return db::courses::subjectListing(c);
    case RuleArg::None:
        break;
    }
    return {};
}

QStringList listRules(db::Connection& c, const QString& schoolYear) {
    QStringList out;
    for (const Rule& r : loadRules(c, schoolYear)) {
        const RuleKindInfo& k = ruleKind(r.kind);
        QString line =
            QLatin1String(k.name) + QLatin1Char(' ') + nameOf(c, schoolYear, k.first, r.first);
        if (k.second != RuleArg::None)
            line += QLatin1Char(' ') + nameOf(c, schoolYear, k.second, r.second);
        out << line;
    }
    return out;
}

QStringList captionRules(db::Connection& c, const QString& schoolYear) {
    QStringList out;
    for (const Rule& r : loadRules(c, schoolYear)) {
        const RuleKindInfo& k = ruleKind(r.kind);
        QString line = QString::fromUtf8(k.caption) + QStringLiteral(": ") +
                       nameOf(c, schoolYear, k.first, r.first, true);
        if (k.second != RuleArg::None)
            line += QStringLiteral(", ") + nameOf(c, schoolYear, k.second, r.second, true);
        out << line;
    }
    return out;
}

} // namespace blocking

#include "blocking/Rules.h"

#include "db/Database.h"
#include "db/KeptNames.h"
#include "db/Students.h"

#include <QSqlQuery>
#include <stdexcept>

namespace blocking {

namespace {

[[noreturn]] void refuse(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

void createTable(db::Connection& c) {
    c.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS regel (RG_ID INTEGER PRIMARY KEY "
                          "AUTOINCREMENT, RG_SCHJ TEXT NOT NULL, RG_ART TEXT NOT NULL, "
                          "RG_ARG1 TEXT NOT NULL, RG_ARG2 TEXT NOT NULL DEFAULT '')"));
}

// The key of the school year's course or rail that another program named so; "" for none.
QString keptKey(db::Connection& c, const QString& schoolYear, RuleArg what, const QString& name) {
    if (what != RuleArg::Course && what != RuleArg::Rail)
        return {};
    const bool course = what == RuleArg::Course;
    const QString sql =
        course ? QStringLiteral("SELECT 1 FROM kurs WHERE KS_VFP_ID = ? AND KS_SCHJ = ?")
               : QStringLiteral("SELECT 1 FROM block WHERE BL_VFP_ID = ? AND BL_SCHJ = ?");
    for (const QString& key :
         db::kept::keysNamed(c, course ? db::kept::kCourse : db::kept::kRail, name))
        if (!c.scalar(sql, {key, schoolYear}).isNull())
            return key;
    return {};
}

// The key of what the name names, looked up as the planner writes it.
QString keyOf(db::Connection& c, const QString& schoolYear, RuleArg what, const QString& name) {
    const QString n = name.trimmed();
    QString sql;
    QVariantList values{n};
    QString unknown;
    switch (what) {
    case RuleArg::Course:
        sql = QStringLiteral("SELECT KS_VFP_ID FROM kurs WHERE upper(trim(KS_BEZ)) = upper(?) "
                             "AND KS_SCHJ = ? ORDER BY KS_SORT, KS_ID");
        values << schoolYear;
        unknown = QStringLiteral("Unbekannter Kurs: ");
        break;
    case RuleArg::Rail:
        sql = QStringLiteral("SELECT BL_VFP_ID FROM block WHERE upper(trim(BL_BEZ)) = upper(?) "
                             "AND BL_SCHJ = ? ORDER BY BL_ID");
        values << schoolYear;
        unknown = QStringLiteral("Unbekannte Schiene: ");
        break;
    case RuleArg::Student:
        sql =
            QStringLiteral("SELECT KO_VFP_ID FROM kolleg WHERE upper(trim(KO_VFP_ID)) = upper(?)");
        unknown = QStringLiteral("Unbekannter Schüler: ");
        break;
    case RuleArg::Subject:
        // By its key in the administration's plan or by its abbreviation, as the planner knows it.
        sql = QStringLiteral("SELECT trim(FA_PSCHL) FROM fachang WHERE upper(trim(FA_PSCHL)) = "
                             "upper(?) OR upper(trim(FA_BEZ)) = upper(?) ORDER BY FA_ID");
        values << n;
        unknown = QStringLiteral("Unbekanntes Fach: ");
        break;
    case RuleArg::None:
        return {};
    }
    QSqlQuery q = c.exec(sql, values);
    if (n.isEmpty())
        refuse(unknown + n);
    if (!q.next()) {
        // A course or rail taken over from another program is also found by the name it had
        // there, which the designation's 6 characters could not hold.
        if (const QString key = keptKey(c, schoolYear, what, n); !key.isEmpty())
            return key;
        refuse(unknown + n);
    }
    const QString key = q.value(0).toString();
    if (what == RuleArg::Course && q.next())
        refuse(QStringLiteral("Der Kurs %1 ist nicht eindeutig: mehrere Kurse heißen so.").arg(n));
    return key;
}

// The designation of today for a stored key, a student by name and class; "?key" when its row
// is gone.
QString nameOf(db::Connection& c, const QString& schoolYear, RuleArg what, const QString& key) {
    QString sql;
    QVariantList values{key};
    switch (what) {
    case RuleArg::Course:
        sql = QStringLiteral("SELECT trim(KS_BEZ) FROM kurs WHERE KS_VFP_ID = ? AND KS_SCHJ = ?");
        values << schoolYear;
        break;
    case RuleArg::Rail:
        sql = QStringLiteral("SELECT trim(BL_BEZ) FROM block WHERE BL_VFP_ID = ? AND BL_SCHJ = ?");
        values << schoolYear;
        break;
    case RuleArg::Student:
        if (const auto p = db::students::personOf(c, key))
            return studentInText(
                p->rufName.isEmpty() ? p->famName : p->famName + QStringLiteral(", ") + p->rufName,
                p->parallelClass);
        return QStringLiteral("?") + key.trimmed();
    case RuleArg::Subject:
        // The abbreviation the planner reads; the key where the subject has none.
        sql = QStringLiteral("SELECT ifnull(nullif(trim(FA_BEZ), ''), trim(FA_PSCHL)) FROM "
                             "fachang WHERE trim(FA_PSCHL) = trim(?) ORDER BY FA_ID");
        break;
    case RuleArg::None:
        return key;
    }
    QSqlQuery q = c.exec(sql, values);
    return q.next() ? q.value(0).toString() : QStringLiteral("?") + key.trimmed();
}

} // namespace

const std::vector<RuleKindInfo>& ruleKinds() {
    using enum RuleArg;
    static const std::vector<RuleKindInfo> kinds = {
        {RuleKind::CourseNotOnRail, "course-not-on-rail", Course, Rail, "Kurs nie auf der Schiene",
         "kurs-nicht-auf-schiene", "Kurs %1 nicht auf Schiene %2"},
        {RuleKind::CoursesTogether, "courses-together", Course, Course,
         "Kurse auf denselben Schienen", "kurse-zusammen",
         "Kurse %1 und %2 auf denselben Schienen"},
        {RuleKind::CoursesApart, "courses-apart", Course, Course, "Kurse nie auf einer Schiene",
         "kurse-getrennt", "Kurse %1 und %2 nie auf einer Schiene"},
        {RuleKind::ParallelsApart, "parallels-apart", Subject, None,
         "Parallelkurse eines Fachs auf verschiedenen Schienen", "parallelkurse-getrennt",
         "Parallelkurse in %1 auf verschiedenen Schienen"},
        {RuleKind::StudentInCourse, "student-in-course", Student, Course, "Schüler in dem Kurs",
         "schueler-im-kurs", "Schüler %1 im Kurs %2"},
        {RuleKind::StudentNotInCourse, "student-not-in-course", Student, Course,
         "Schüler nie in dem Kurs", "schueler-nicht-im-kurs", "Schüler %1 nicht im Kurs %2"},
        {RuleKind::StudentsTogether, "students-together", Student, Student,
         "Schüler in denselben Kursen", "schueler-zusammen",
         "Schüler %1 und %2 in denselben Kursen"},
        {RuleKind::StudentsApart, "students-apart", Student, Student,
         "Schüler in verschiedenen Kursen", "schueler-getrennt",
         "Schüler %1 und %2 in verschiedenen Kursen"},
    };
    return kinds;
}

const RuleKindInfo& ruleKind(RuleKind k) {
    return ruleKinds()[static_cast<size_t>(k)];
}

std::vector<Rule> loadRules(db::Connection& c, const QString& schoolYear) {
    std::vector<Rule> rules;
    if (!c.hasTable(QStringLiteral("regel")))
        return rules;
    QSqlQuery q = c.exec(QStringLiteral("SELECT RG_ID, RG_ART, RG_ARG1, RG_ARG2 FROM regel "
                                        "WHERE RG_SCHJ = ? ORDER BY RG_ID"),
                         {schoolYear});
    while (q.next())
        for (const RuleKindInfo& k : ruleKinds())
            if (q.value(1).toString() == QLatin1String(k.name))
                rules.push_back({q.value(0).toLongLong(), k.kind, q.value(2).toString(),
                                 q.value(3).toString()});
    return rules;
}

Rule addRule(db::Connection& c, const QString& schoolYear, const QString& kind,
             const QStringList& names) {
    const RuleKindInfo* info = nullptr;
    QStringList known;
    // Scripts keep the English names; a planner may write the German ones, "ü" or "ue".
    const QString wanted =
        kind.trimmed().toLower().replace(QStringLiteral("ü"), QStringLiteral("ue"));
    for (const RuleKindInfo& k : ruleKinds()) {
        known << QLatin1String(k.german);
        if (wanted == QLatin1String(k.name) || wanted == QLatin1String(k.german))
            info = &k;
    }
    if (!info)
        refuse(QStringLiteral("Unbekannte Regel: %1 (bekannt: %2)")
                   .arg(kind, known.join(QStringLiteral(", "))));
    const int needed = info->second == RuleArg::None ? 1 : 2;
    if (names.size() != needed)
        refuse(QStringLiteral("Die Regel %1 braucht %2 Angabe%3.")
                   .arg(QLatin1String(info->german))
                   .arg(needed)
                   .arg(needed == 1 ? QString() : QStringLiteral("n")));
    db::Transaction tx(c);
    Rule r;
    r.kind = info->kind;
    r.first = keyOf(c, schoolYear, info->first, names[0]);
    // An empty text, not NULL: the field is NOT NULL.
    r.second = needed == 2 ? keyOf(c, schoolYear, info->second, names[1]) : QStringLiteral("");
    if (info->first == info->second && r.first == r.second)
        refuse(QStringLiteral("Die Regel %1 braucht zwei verschiedene Angaben.")
                   .arg(QLatin1String(info->german)));
    createTable(c);
    for (const Rule& o : loadRules(c, schoolYear)) {
        const bool same = o.first == r.first && o.second == r.second;
        const bool swapped =
            info->first == info->second && o.first == r.second && o.second == r.first;
        if (o.kind == r.kind && (same || swapped))
            refuse(
                QStringLiteral("Die Regel gibt es schon: %1")
                    .arg(ruleText(info->kind, names.value(0).trimmed(), names.value(1).trimmed())));
    }
    QSqlQuery q = c.exec(QStringLiteral("INSERT INTO regel (RG_SCHJ, RG_ART, RG_ARG1, RG_ARG2) "
                                        "VALUES (?, ?, ?, ?)"),
                         {schoolYear, QLatin1String(info->name), r.first, r.second});
    r.id = q.lastInsertId().toLongLong();
    tx.commit();
    return r;
}

void removeRule(db::Connection& c, const QString& schoolYear, int n) {
    db::Transaction tx(c);
    const std::vector<Rule> rules = loadRules(c, schoolYear);
    if (n < 1 || n > static_cast<int>(rules.size()))
        refuse(QStringLiteral("Es gibt keine Regel %1.").arg(n));
    c.exec(QStringLiteral("DELETE FROM regel WHERE RG_ID = ?"), {rules[n - 1].id});
    tx.commit();
}

QStringList ruleNames(db::Connection& c, const QString& schoolYear, RuleArg what) {
    QString sql;
    QVariantList values;
    switch (what) {
    case RuleArg::Course:
        sql = QStringLiteral("SELECT trim(KS_BEZ) FROM kurs WHERE KS_SCHJ = ? AND "
                             "trim(ifnull(KS_BEZ, '')) <> '' ORDER BY KS_SORT, KS_ID");
        values << schoolYear;
        break;
    case RuleArg::Rail:
        sql = QStringLiteral("SELECT trim(BL_BEZ) FROM block WHERE BL_SCHJ = ? AND "
                             "trim(ifnull(BL_BEZ, '')) <> '' ORDER BY BL_ID");
        values << schoolYear;
        break;
    case RuleArg::Student:
        sql = QStringLiteral("SELECT trim(KO_VFP_ID) || '  ' || trim(ifnull(KO_FAMNAME, '')) || "
                             "', ' || trim(ifnull(KO_RUFNAME, '')) || ifnull(' (' || "
                             "nullif(trim(KO_PARLLKL), '') || ')', '') FROM kolleg WHERE "
                             "trim(ifnull(KO_VFP_ID, '')) <> '' ORDER BY KO_FAMNAME, KO_RUFNAME");
        break;
    case RuleArg::Subject:
        sql = QStringLiteral("SELECT DISTINCT trim(FA_PSCHL) || '  ' || trim(ifnull(FA_BEZ, '')) "
                             "FROM fachang WHERE trim(ifnull(FA_PSCHL, '')) <> '' ORDER BY 1");
        break;
    case RuleArg::None:
        return {};
    }
    QStringList out;
    QSqlQuery q = c.exec(sql, values);
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QString ruleText(RuleKind k, const QString& first, const QString& second) {
    const QString text = QString::fromUtf8(ruleKind(k).text);
    return ruleKind(k).second == RuleArg::None ? text.arg(first) : text.arg(first, second);
}

QString studentInText(const QString& name, const QString& parallelClass) {
    const QString klasse = parallelClass.trimmed();
    return klasse.isEmpty() ? name : name + QStringLiteral(" (") + klasse + QLatin1Char(')');
}

QStringList listRules(db::Connection& c, const QString& schoolYear) {
    QStringList out;
    for (const Rule& r : loadRules(c, schoolYear)) {
        const RuleKindInfo& k = ruleKind(r.kind);
        out << ruleText(r.kind, nameOf(c, schoolYear, k.first, r.first),
                        nameOf(c, schoolYear, k.second, r.second));
    }
    return out;
}

QStringList captionRules(db::Connection& c, const QString& schoolYear) {
    return listRules(c, schoolYear);
}

} // namespace blocking

#include "import/Transfers.h"

#include "db/Courses.h"
#include "db/Database.h"
#include "db/ImportTables.h"
#include "db/Queries.h"
#include "db/Schema.h"
#include "db/Students.h"
#include "import/vfp/Container.h"
#include "import/vfp/Error.h"

#include "ui/Host.h"

#include <QHash>
#include <QSet>
#include <cmath>

namespace importer {

namespace {

// A value for a target field, with the field of the container record it was read from, if any:
// a number the target cannot take is refused before it is converted, naming where it stands.
struct Cell {
    Cell(QVariant v) : value(std::move(v)) {}
    Cell(const QString& v) : value(v) {}
    Cell(int v) : value(v) {}
    Cell(const vfp::Record& r, int ordinal)
        : value(r.value(ordinal)), record(&r), ordinal(ordinal) {}
    Cell(const vfp::Record& r, const QString& field) : Cell(r, r.ordinal(field)) {}

    [[noreturn]] void refuse(const QString& problem) const {
        if (record)
            throw record->refusal(ordinal, problem);
        throw vfp::Error(QStringLiteral("Der Wert \"%1\" %2.").arg(value.toString(), problem));
    }

    QVariant value;
    const vfp::Record* record = nullptr;
    int ordinal = -1;
};

// Doubles hold every whole number up to this exactly; beyond, digits would be made up.
constexpr double kExactWhole = 9007199254740992.0; // 2^53

// A source value in the type of the target field: numbers into text as written (integers without
// blanks or decimals), text into numbers by its value. A number beyond what the target holds,
// or none at all (NaN, infinity), is refused as the container holds it.
QVariant convert(const Cell& c, const QString& table, const QString& field) {
    const QVariant& v = c.value;
    if (v.isNull())
        return {};
    const db::FieldDef* f = db::table(table).field(field);
    if (!f)
        return v;
    const auto type = v.typeId();
    const bool numeric = type == QMetaType::Int || type == QMetaType::LongLong ||
                         type == QMetaType::Double || type == QMetaType::UInt ||
                         type == QMetaType::ULongLong;
    if (f->type == db::FieldType::Text) {
        if (type == QMetaType::Double) {
            const double d = v.toDouble();
            if (!(std::abs(d) < kExactWhole))
                c.refuse(QStringLiteral("ist keine Zahl, die die Blockbildungsdatei aufnehmen "
                                        "kann"));
            if (d == std::trunc(d))
                return QString::number(static_cast<qint64>(d));
            return QString::number(d);
        }
        if (numeric)
            return QString::number(v.toLongLong());
        if (type == QMetaType::Bool)
            return v.toBool() ? QStringLiteral("T") : QStringLiteral("F");
        return v.toString();
    }
    const auto [lo, hi] = db::numberRange(f->type);
    const auto outOfRange = [&, lo = lo, hi = hi] {
        c.refuse(QStringLiteral("passt nicht in das Feld %1 der Blockbildungsdatei (%2 bis %3)")
                     .arg(f->name)
                     .arg(lo)
                     .arg(hi));
    };
    if (type == QMetaType::Double) {
        const double d = std::round(v.toDouble());
        if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi)))
            outOfRange();
        return static_cast<qint64>(d);
    }
    if (numeric) {
        const qlonglong n = v.toLongLong();
        if (n < lo || n > hi)
            outOfRange();
        return n;
    }
    const QString s = v.toString().trimmed();
    if (s.isEmpty())
        return {};
    bool ok = false;
    const qlonglong n = s.toLongLong(&ok);
    if (!ok)
        throw db::DbError(
            db::DbError::Kind::Constraint,
            QStringLiteral("Der Wert \"%1\" für das Feld %2 der Tabelle %3 ist keine Zahl.")
                .arg(s, field, table));
    return n;
}

QString text(const vfp::Record& r, const QString& field) {
    const Cell c(r, field);
    if (c.value.isNull())
        return {};
    const auto type = c.value.typeId();
    if (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int)
        return convert(c, QStringLiteral("kurs"), QStringLiteral("KS_BEZ")).toString();
    return c.value.toString();
}

// Writes rows of one target table from source values, each converted to its field's type.
class Writer {
public:
    Writer(db::Connection& c, const QString& table, const QStringList& fields)
        : table_(table), fields_(fields), rows_(c, table, fields) {}

    qint64 add(const std::vector<Cell>& values) {
        QVariantList converted;
        converted.reserve(values.size());
        for (size_t i = 0; i < values.size(); ++i)
            converted << convert(values[i], table_, fields_[static_cast<qsizetype>(i)]);
        return rows_.add(converted);
    }

private:
    QString table_;
    QStringList fields_;
    db::importtables::Rows rows_;
};

// Keys (upper case) of a look-up, for the rows that must name one.
QSet<QString> upperKeys(const QStringList& keys) {
    QSet<QString> set;
    for (const QString& k : keys)
        set.insert(k.toUpper());
    return set;
}

} // namespace

QStringList schoolYearLines(const vfp::Container& c) {
    QStringList lines;
    const vfp::Table t = c.table(QStringLiteral("schjahr"));
    t.requireField(QStringLiteral("SJ_ID"));
    t.requireField(QStringLiteral("SJ_SCHJ"));
    vfp::Record r;
    while (t.next(r))
        lines << text(r, QStringLiteral("SJ_SCHJ")) + QStringLiteral("     ") +
                     text(r, QStringLiteral("SJ_ID"));
    return lines;
}

QStringList cohortsOffered(const vfp::Container& c, const QString& schjBez) {
    const vfp::Table t = c.table(QStringLiteral("kolleg"));
    t.requireField(QStringLiteral("KO_KURSPH"));
    QSet<QString> phases;
    vfp::Record r;
    while (t.next(r))
        phases.insert(text(r, QStringLiteral("KO_KURSPH")));
    QStringList out;
    const int y = db::startYear(schjBez);
    for (int k = 0; k <= 1; ++k) {
        const QString phase = QString::number(y - k);
        if (phases.contains(phase))
            out << phase;
    }
    return out;
}

QString previousKey(const QStringList& lines, const QString& schjBez) {
    // A line begins with its school year's designation.
    const int prev = db::startYear(schjBez) - 1;
    for (const QString& l : lines)
        if (db::startYear(l) == prev)
            return l.right(6);
    return {};
}

Transfers::Transfers(const vfp::Container& source, db::Connection& target, const Selection& sel,
                     ui::Host& host, Progress progress)
    : source_(source), target_(target), sel_(sel), host_(host), progress_(std::move(progress)) {}

void Transfers::announce(const QString& table) {
    if (progress_)
        progress_(table);
}

void Transfers::KopiereSchuldaten() {
    announce(QStringLiteral("Schule"));
    const vfp::Table t = source_.table(QStringLiteral("schule"));
    t.requireField(QStringLiteral("SH_NUMMER"));
    t.requireField(QStringLiteral("SH_KURZBEZ"));
    if (t.fieldCount() < 3)
        throw vfp::Error::damaged(t.fileName(), QStringLiteral("weniger als drei Felder"));
    Writer w(target_, QStringLiteral("schule"),
             {QStringLiteral("SH_NUMMER"), QStringLiteral("SH_AMTLBEZ1"),
              QStringLiteral("SH_AMTLBEZ2"), QStringLiteral("SH_KURZBEZ")});
    vfp::Record r;
    while (t.next(r))
        w.add({Cell(r, QStringLiteral("SH_NUMMER")), Cell(r, 1), Cell(r, 2),
               Cell(r, QStringLiteral("SH_KURZBEZ"))});
}

void Transfers::KopiereLehrdaten() {
    announce(QStringLiteral("Lehrer"));
    const vfp::Table t = source_.table(QStringLiteral("lehrer"));
    for (const char* f : {"LE_ID", "LE_KUERZ", "LE_BEZ"})
        t.requireField(QString::fromLatin1(f));
    Writer w(target_, QStringLiteral("lehrer"),
             {QStringLiteral("LE_KUERZ"), QStringLiteral("LE_BEZ"), QStringLiteral("LE_VFP_ID")});
    vfp::Record r;
    while (t.next(r))
        w.add({Cell(r, QStringLiteral("LE_KUERZ")), Cell(r, QStringLiteral("LE_BEZ")),
               Cell(r, QStringLiteral("LE_ID"))});
}

void Transfers::KopiereSchuljahr() {
    announce(QStringLiteral("Schuljahr"));
    const vfp::Table t = source_.table(QStringLiteral("schjahr"));
    for (const char* f : {"SJ_ID", "SJ_SCHJ", "SJ_AA_12", "SJ_AA_13"})
        t.requireField(QString::fromLatin1(f));
    Writer w(target_, QStringLiteral("schjahr"),
             {QStringLiteral("SJ_SCHJ"), QStringLiteral("SJ_AA_12"), QStringLiteral("SJ_AA_13"),
              QStringLiteral("SJ_VFP_ID")});
    vfp::Record r;
    while (t.next(r)) {
        if (text(r, QStringLiteral("SJ_ID")) != sel_.schjId)
            continue;
        w.add({Cell(r, QStringLiteral("SJ_SCHJ")), Cell(r, QStringLiteral("SJ_AA_12")),
               Cell(r, QStringLiteral("SJ_AA_13")), Cell(r, QStringLiteral("SJ_ID"))});
    }
}

namespace {

// The placement workspace holds hours as one digit: more would be misread, so they stop the
// import before they enter.
void checkHours(const vfp::Record& r, const char* hoursField, const char* nameField,
                const QString& what) {
    const QVariant v = r.value(QString::fromLatin1(hoursField));
    const int hours = v.toString().trimmed().toInt();
    if (hours >= 10)
        throw db::DbError(db::DbError::Kind::Constraint,
                          QStringLiteral("Import abgebrochen: %1 %2 hat %3 Wochenstunden; "
                                         "das Programm verteilt höchstens 9.")
                              .arg(what, text(r, QString::fromLatin1(nameField)).trimmed())
                              .arg(hours));
}

} // namespace

void Transfers::KopiereKurse() {
    announce(QStringLiteral("Kurse"));
    const vfp::Table t = source_.table(QStringLiteral("kurs"));
    static const char* const fields[] = {"KS_SCHJ",   "KS_BEZ",    "KS_SORT",   "KS_LE_ID",
                                         "KS_FA_ID1", "KS_FA_ID2", "KS_FA_ID3", "KS_FA_ID4",
                                         "KS_JGST",   "KS_LKGK",   "KS_STD",    "KS_STDVL"};
    QStringList targetFields;
    for (const char* f : fields) {
        t.requireField(QString::fromLatin1(f));
        targetFields << QString::fromLatin1(f);
    }
    t.requireField(QStringLiteral("KS_ID"));
    // Deleted records do not count: a table of deleted courses holds no course.
    if (vfp::Record first; !t.next(first)) {
        ui::tell(host_,
                 QStringLiteral("Kursdatei fehlt für Schuljahr: ") + sel_.schjBez +
                     QStringLiteral(
                         "!\r\nErstellen Sie die Kursdatei in Orvid! Importieren Sie aufs Neue!"),
                 ui::Icon::None, ui::kTitle);
        return;
    }
    targetFields << QStringLiteral("KS_VFP_ID") << QStringLiteral("KS_MIN")
                 << QStringLiteral("KS_MAX") << QStringLiteral("KS_OPT");
    Writer w(target_, QStringLiteral("kurs"), targetFields);

    QString g; // the container counts the course phase's two years as 11 and 12
    if (sel_.cohorts.size() == 1) {
        const int group = db::yearGroup(sel_.cohorts.first().toInt(), sel_.schjBez);
        g = group == 0 ? QString() : QString::number(group - 1);
    }
    const auto accepted = [&](const vfp::Record& r) {
        const QString s = text(r, QStringLiteral("KS_SCHJ"));
        const QString jgst = text(r, QStringLiteral("KS_JGST"));
        const QString kind = text(r, QStringLiteral("KS_LKGK"));
        const bool current = s == sel_.schjId;
        const bool previous = !sel_.previousKey.isEmpty() && s == sel_.previousKey;
        if (sel_.cohorts.size() >= 2)
            return current || previous;
        const bool k = kind == QLatin1String("K");
        const bool or50 = jgst == QLatin1String("50");
        if (g == QLatin1String("11"))
            return current && (jgst == QLatin1String("11") || or50) && k;
        if (g == QLatin1String("12"))
            return (current && (jgst == QLatin1String("12") || or50) && k) ||
                   (previous && (jgst == QLatin1String("11") || or50) && k);
        return false;
    };
    vfp::Record r;
    while (t.next(r)) {
        if (!accepted(r))
            continue;
        checkHours(r, "KS_STD", "KS_BEZ", QStringLiteral("Der Kurs"));
        std::vector<Cell> values;
        for (const char* f : fields)
            values.emplace_back(r, QString::fromLatin1(f));
        values.emplace_back(r, QStringLiteral("KS_ID"));
        values.insert(values.end(), {0, 0, 0});
        w.add(values);
    }
}

void Transfers::KopiereBlock() {
    announce(QStringLiteral("Block"));
    const vfp::Table t = source_.table(QStringLiteral("block"));
    for (const char* f : {"BL_ID", "BL_SCHJ", "BL_BEZ", "BL_NAME", "BL_STD", "BL_SORT"})
        t.requireField(QString::fromLatin1(f));
    Writer w(target_, QStringLiteral("block"),
             {QStringLiteral("BL_SCHJ"), QStringLiteral("BL_BEZ"), QStringLiteral("BL_NAME"),
              QStringLiteral("BL_STD"), QStringLiteral("BL_SORT"), QStringLiteral("BL_VFP_ID"),
              QStringLiteral("BL_FIX")});
    vfp::Record r;
    while (t.next(r)) {
        if (text(r, QStringLiteral("BL_SCHJ")) != sel_.schjId)
            continue;
        checkHours(r, "BL_STD", "BL_BEZ", QStringLiteral("Die Schiene"));
        w.add({Cell(r, QStringLiteral("BL_SCHJ")), Cell(r, QStringLiteral("BL_BEZ")),
               Cell(r, QStringLiteral("BL_NAME")), Cell(r, QStringLiteral("BL_STD")),
               Cell(r, QStringLiteral("BL_SORT")), Cell(r, QStringLiteral("BL_ID")),
               QStringLiteral("0")});
    }
}

void Transfers::KopiereKollegiaten() {
    announce(QStringLiteral("Kolleg"));
    const vfp::Table t = source_.table(QStringLiteral("kolleg"));
    for (const char* f : {"KO_ID", "KO_KURSPH", "KO_FAMNAME", "KO_RUFNAME", "KO_PARALLE"})
        t.requireField(QString::fromLatin1(f));
    Writer w(target_, QStringLiteral("kolleg"),
             {QStringLiteral("KO_KURSPH"), QStringLiteral("KO_FAMNAME"),
              QStringLiteral("KO_RUFNAME"), QStringLiteral("KO_PARLLKL"),
              QStringLiteral("KO_VFP_ID")});
    vfp::Record r;
    while (t.next(r)) {
        if (!sel_.cohorts.contains(text(r, QStringLiteral("KO_KURSPH"))))
            continue;
        w.add({Cell(r, QStringLiteral("KO_KURSPH")), Cell(r, QStringLiteral("KO_FAMNAME")),
               Cell(r, QStringLiteral("KO_RUFNAME")), Cell(r, QStringLiteral("KO_PARALLE")),
               Cell(r, QStringLiteral("KO_ID"))});
    }
}

void Transfers::KopiereFachangebot() {
    announce(QStringLiteral("Fachangebot"));
    const vfp::Table t = source_.table(QStringLiteral("fachang"));
    for (const char* f :
         {"FA_ID", "FA_KURSPH", "FA_PSCHL", "FA_BEZ", "FA_BELEG", "FA_STDGK", "FA_GLEICH"})
        t.requireField(QString::fromLatin1(f));
    Writer w(target_, QStringLiteral("fachang"),
             {QStringLiteral("FA_KURSPH"), QStringLiteral("FA_PSCHL"), QStringLiteral("FA_BEZ"),
              QStringLiteral("FA_BELEG"), QStringLiteral("FA_STDGK"), QStringLiteral("FA_GLEICH"),
              QStringLiteral("FA_VFP_ID"), QStringLiteral("FA_BEZLK"), QStringLiteral("FA_BEZGK"),
              QStringLiteral("FA_MERK1")});
    vfp::Record r;
    while (t.next(r)) {
        if (!sel_.cohorts.contains(text(r, QStringLiteral("FA_KURSPH"))))
            continue;
        const Cell bez(r, QStringLiteral("FA_BEZ"));
        w.add({Cell(r, QStringLiteral("FA_KURSPH")), Cell(r, QStringLiteral("FA_PSCHL")), bez,
               Cell(r, QStringLiteral("FA_BELEG")), Cell(r, QStringLiteral("FA_STDGK")),
               Cell(r, QStringLiteral("FA_GLEICH")), Cell(r, QStringLiteral("FA_ID")), bez, bez,
               QStringLiteral("0")});
    }
}

void Transfers::KopiereBelegungen() {
    announce(QStringLiteral("Belegung"));
    const vfp::Table t = source_.table(QStringLiteral("beleg_gk"));
    for (const char* f : {"GK_KO_ID", "GK_FA_ID", "GK_ART"})
        t.requireField(QString::fromLatin1(f));
    if (t.fieldCount() < 4)
        throw vfp::Error::damaged(t.fileName(), QStringLiteral("weniger als vier Felder"));
    const QSet<QString> students = upperKeys(db::students::keys(target_));
    Writer w(target_, QStringLiteral("belegung"),
             {QStringLiteral("BG_KO_ID"), db::courseField(12), db::courseField(13),
              QStringLiteral("BG_FA_ID"), QStringLiteral("BG_ART")});
    db::importtables::ChoiceKeys key(target_);
    vfp::Record r;
    while (t.next(r)) {
        const Cell student(r, QStringLiteral("GK_KO_ID"));
        if (student.value.isNull() ||
            !students.contains(
                convert(student, QStringLiteral("belegung"), QStringLiteral("BG_KO_ID"))
                    .toString()
                    .toUpper()))
            continue;
        const qint64 id =
            w.add({student, Cell(r, 2), Cell(r, 3), Cell(r, QStringLiteral("GK_FA_ID")),
                   Cell(r, QStringLiteral("GK_ART"))});
        key.set(id, db::sixKey(id));
    }
}

void Transfers::KopiereKursInSchienen() {
    announce(QStringLiteral("Ckkurs"));
    const vfp::Table t = source_.table(QStringLiteral("ckkurs"));
    t.requireField(QStringLiteral("CK_BL_ID"));
    t.requireField(QStringLiteral("CK_KS_ID"));
    const QSet<QString> courses = upperKeys(db::courses::keys(target_));
    Writer w(target_, QStringLiteral("ckkurs"),
             {QStringLiteral("CK_BL_ID"), QStringLiteral("CK_KS_ID"), QStringLiteral("CK_FIX")});
    vfp::Record r;
    while (t.next(r)) {
        const Cell course(r, QStringLiteral("CK_KS_ID"));
        if (course.value.isNull() ||
            !courses.contains(convert(course, QStringLiteral("ckkurs"), QStringLiteral("CK_KS_ID"))
                                  .toString()
                                  .toUpper()))
            continue;
        w.add({Cell(r, QStringLiteral("CK_BL_ID")), course, QStringLiteral("0")});
    }
}

void Transfers::BereinigeBlCk() {
    // Rail keys of the administration -> local keys. Both steps pass through temporary keys, so
    // that a new key equal to another row's old key never collides on the unique indexes.
    QHash<QString, QString> railKey; // administration key (upper case) -> six-character BL_ID
    for (const auto& [id, key] : db::importtables::rails(target_))
        if (!key.isNull())
            railKey.insert(key.toString().toUpper(), db::sixKey(id));
    std::vector<std::pair<qint64, QString>> placements;
    std::vector<qint64> stray;
    for (const auto& [id, rail] : db::importtables::placementRails(target_)) {
        if (rail.isNull())
            continue; // on no rail: no other school year's either
        const auto it = railKey.constFind(rail.toString().toUpper());
        if (it != railKey.constEnd())
            placements.emplace_back(id, *it);
        else
            stray.push_back(id);
    }
    // A placement on a rail that was not imported (another school year's) keeps the
    // administration's key, which may equal a new rail's local key: it would appear there.
    for (qint64 id : stray)
        db::importtables::dropPlacement(target_, id);
    droppedPlacements_ = static_cast<int>(stray.size());
    for (const auto& [id, key] : placements)
        db::importtables::setPlacementRail(target_, id, QStringLiteral("#") + QString::number(id));
    for (const auto& [id, key] : placements) {
        try {
            db::importtables::setPlacementRail(target_, id, key);
        } catch (const db::DbError& e) {
            if (e.kind() != db::DbError::Kind::Constraint)
                throw;
            throw db::DbError(
                db::DbError::Kind::Constraint,
                QStringLiteral(
                    "Import abgebrochen: In der Tabelle ckkurs der Schulverwaltung steht "
                    "ein Kurs zweimal auf der Schiene %1.")
                    .arg(key.trimmed()));
        }
    }
    db::importtables::keyRailsByTheirIds(target_);
}

void Transfers::runAll() {
    KopiereSchuldaten();
    KopiereLehrdaten();
    KopiereSchuljahr();
    KopiereKurse();
    KopiereBlock();
    KopiereKollegiaten();
    KopiereFachangebot();
    KopiereBelegungen();
    KopiereKursInSchienen();
    BereinigeBlCk();
}

} // namespace importer

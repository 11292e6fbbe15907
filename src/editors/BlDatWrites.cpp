#include "editors/BlDatWrites.h"

#include "db/Database.h"
#include "db/Placements.h"
#include "db/Rails.h"

namespace editors::bldat {

namespace {

const QString kTable = QStringLiteral("block");

QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

bool BlBelegt(db::Connection& c, const QString& railKey) {
    return db::placements::anyOnRail(c, railKey);
}

QString railLine(const QString& bez, const QString& key) {
    return bez + QStringLiteral("     ") + key;
}

QStringList railLines(db::Connection& c) {
    QStringList lines;
    for (const db::rails::Named& r : db::rails::all(c))
        lines << railLine(r.bez, r.key);
    return lines;
}

std::optional<Rail> readRail(db::Connection& c, const QString& key) {
    const std::optional<db::rails::Fields> f = db::rails::fieldsOf(c, key);
    if (!f)
        return std::nullopt;
    return Rail{f->bez, f->name, f->hours, f->year};
}

bool nameTaken(db::Connection& c, const QString& year, const QString& bez, const QString& ownKey) {
    for (const db::rails::Named& r : db::rails::namesOfYear(c, year))
        if (r.key != ownKey && sameDesignation(r.bez, bez))
            return true;
    return false;
}

bool writeChanges(db::Connection& c, const QString& key, const Changes& changed,
                  const Fields& fields, const QVariant& hours) {
    db::Transaction tx(c);
    // The workspace may have placed courses on the rail since it was shown.
    if (BlBelegt(c, key))
        return false;
    const auto write = [&](const char* field, const QVariant& value) {
        db::rails::setField(c, key, QLatin1String(field), value);
    };
    if (changed.bez)
        write("BL_BEZ", textOrNull(fields[kBez]));
    if (changed.name)
        write("BL_NAME", textOrNull(fields[kName]));
    if (changed.hours)
        write("BL_STD", hours);
    tx.commit();
    return true;
}

QString addRail(db::Connection& c, const QString& year, const Fields& fields,
                const QVariant& hours) {
    db::Transaction tx(c);
    const int sort = db::rails::lastSort(c) + 1;
    const qint64 id = c.insert(kTable, {{QStringLiteral("BL_SCHJ"), year},
                                        {QStringLiteral("BL_BEZ"), fields[kBez]},
                                        {QStringLiteral("BL_NAME"), textOrNull(fields[kName])},
                                        {QStringLiteral("BL_SORT"), sort},
                                        {QStringLiteral("BL_STD"), hours},
                                        {QStringLiteral("BL_FIX"), QStringLiteral("0")}});
    const QString key = db::sixKey(id);
    db::rails::setKey(c, id, key);
    tx.commit();
    return key;
}

bool deleteRail(db::Connection& c, const QString& key) {
    db::Transaction tx(c);
    if (BlBelegt(c, key))
        return false;
    db::rails::remove(c, key);
    tx.commit();
    return true;
}

} // namespace editors::bldat

#include "editors/BlDatWrites.h"

#include "db/Database.h"

namespace editors::bldat {

namespace {

const QString kTable = QStringLiteral("block");

QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

bool BlBelegt(db::Connection& c, const QString& railKey) {
    return !c.scalar(QStringLiteral("SELECT 1 FROM ckkurs WHERE CK_BL_ID = ? LIMIT 1"), {railKey})
                .isNull();
}

QString railLine(const QString& bez, const QString& key) {
    return bez + QStringLiteral("     ") + key;
}

QStringList railLines(db::Connection& c) {
    QStringList lines;
    QSqlQuery rails = c.exec(QStringLiteral("SELECT BL_BEZ, BL_VFP_ID FROM block ORDER BY BL_ID"));
    while (rails.next())
        lines << railLine(rails.value(0).toString(), rails.value(1).toString());
    return lines;
}

std::optional<Rail> readRail(db::Connection& c, const QString& key) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_BEZ, BL_NAME, BL_STD, BL_SCHJ FROM block "
                                        "WHERE BL_VFP_ID = ? LIMIT 1"),
                         {key});
    if (!q.next())
        return std::nullopt;
    return Rail{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                q.value(3).toString()};
}

bool nameTaken(db::Connection& c, const QString& year, const QString& bez, const QString& ownKey) {
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT BL_BEZ, BL_VFP_ID FROM block WHERE BL_SCHJ = ? ORDER BY BL_ID"),
        {year});
    while (q.next())
        if (q.value(1).toString() != ownKey && sameDesignation(q.value(0).toString(), bez))
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
        db::checkValue(kTable, QLatin1String(field), value);
        c.exec(
            QStringLiteral("UPDATE block SET %1 = ? WHERE BL_VFP_ID = ?").arg(QLatin1String(field)),
            {value, key});
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
    const QVariant lastSort =
        c.scalar(QStringLiteral("SELECT BL_SORT FROM block ORDER BY BL_ID DESC LIMIT 1"));
    const int sort = lastSort.toInt() + 1;
    const qint64 id = c.insert(kTable, {{QStringLiteral("BL_SCHJ"), year},
                                        {QStringLiteral("BL_BEZ"), fields[kBez]},
                                        {QStringLiteral("BL_NAME"), textOrNull(fields[kName])},
                                        {QStringLiteral("BL_SORT"), sort},
                                        {QStringLiteral("BL_STD"), hours},
                                        {QStringLiteral("BL_FIX"), QStringLiteral("0")}});
    const QString key = db::sixKey(id);
    c.exec(QStringLiteral("UPDATE block SET BL_VFP_ID = ? WHERE BL_ID = ?"), {key, id});
    tx.commit();
    return key;
}

bool deleteRail(db::Connection& c, const QString& key) {
    db::Transaction tx(c);
    if (BlBelegt(c, key))
        return false;
    c.exec(QStringLiteral("DELETE FROM block WHERE BL_VFP_ID = ?"), {key});
    tx.commit();
    return true;
}

} // namespace editors::bldat

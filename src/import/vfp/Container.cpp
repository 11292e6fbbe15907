#include "import/vfp/Container.h"

#include "import/vfp/Error.h"
#include "import/vfp/Files.h"
#include "platform/CodePage.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QtEndian>

namespace vfp {

namespace {

constexpr quint8 kPathProperty = 0x01;
constexpr qsizetype kPropertyHeaderSize = 7; // u32 total length, u16 0x0001, u8 id

// The column of the container table, checked for the type Visual FoxPro gives it.
int requireColumn(const Table& dbc, const QString& name, char type) {
    const int index = dbc.fieldIndex(name);
    if (index < 0)
        throw Error(
            QStringLiteral("Die Datei %1 ist kein gültiger Datenbankcontainer: die Spalte %2 "
                           "fehlt.")
                .arg(displayPath(dbc.fileName()), name));
    if (dbc.field(index).type != type)
        throw Error(
            QStringLiteral("Die Datei %1 ist kein gültiger Datenbankcontainer: die Spalte %2 "
                           "hat den Typ %3 statt %4.")
                .arg(displayPath(dbc.fileName()), name, QString(QLatin1Char(dbc.field(index).type)),
                     QString(QLatin1Char(type))));
    return index;
}

// The file path among a Table row's PROPERTY entries; empty when it has none.
QString pathProperty(const Table& dbc, const QString& table, const QByteArray& property) {
    QString path;
    const qsizetype size = property.size();
    qsizetype at = 0;
    while (at < size) {
        const auto damaged = [&](const QString& problem) {
            return Error::damaged(dbc.fileName(),
                                  QStringLiteral("die Eigenschaften der Tabelle %1 enthalten bei "
                                                 "Byte %2 %3")
                                      .arg(table)
                                      .arg(at)
                                      .arg(problem));
        };
        if (size - at < kPropertyHeaderSize)
            throw damaged(QStringLiteral("einen abgeschnittenen Eintrag"));
        // A length under the entry's own header would never move on.
        const qint64 length = qFromLittleEndian<quint32>(property.constData() + at);
        if (length < kPropertyHeaderSize)
            throw damaged(QStringLiteral("einen Eintrag der Länge %1").arg(length));
        if (length > size - at)
            throw damaged(QStringLiteral("einen Eintrag der Länge %1, es folgen aber nur %2 Bytes")
                              .arg(length)
                              .arg(size - at));
        if (static_cast<quint8>(property[at + 6]) == kPathProperty) {
            QByteArray value = property.mid(at + kPropertyHeaderSize, length - kPropertyHeaderSize);
            const qsizetype end = value.indexOf('\0');
            if (end >= 0)
                value.truncate(end);
            path = platform::CodePage::decode(value, dbc.codePage());
        }
        at += length;
    }
    return path;
}

} // namespace

Container Container::open(const QString& path) {
    const Table dbc = Table::open(path);
    const int objectId = requireColumn(dbc, QStringLiteral("OBJECTID"), 'I');
    const int parentId = requireColumn(dbc, QStringLiteral("PARENTID"), 'I');
    const int objectType = requireColumn(dbc, QStringLiteral("OBJECTTYPE"), 'C');
    const int objectName = requireColumn(dbc, QStringLiteral("OBJECTNAME"), 'C');
    const int property = requireColumn(dbc, QStringLiteral("PROPERTY"), 'M');

    Container container;
    container.path_ = path;
    QList<int> tableIds;
    QHash<int, QStringList> fieldNames;
    Record row;
    while (dbc.next(row)) {
        const QString type = row.value(objectType).toString();
        if (type.compare(QLatin1String("Table"), Qt::CaseInsensitive) == 0) {
            TableEntry entry;
            entry.name = row.value(objectName).toString();
            entry.path = pathProperty(dbc, entry.name, row.memoBytes(property));
            container.tables_.append(entry);
            tableIds.append(row.value(objectId).toInt());
        } else if (type.compare(QLatin1String("Field"), Qt::CaseInsensitive) == 0) {
            fieldNames[row.value(parentId).toInt()].append(row.value(objectName).toString());
        }
    }
    for (qsizetype i = 0; i < container.tables_.size(); ++i)
        container.tables_[i].fieldNames = fieldNames.value(tableIds[i]);
    return container;
}

const Container::TableEntry* Container::find(const QString& name) const {
    for (const TableEntry& entry : tables_)
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

bool Container::hasTable(const QString& name) const {
    return find(name) != nullptr;
}

QString Container::resolve(const TableEntry& entry) const {
    QString relative = entry.path.trimmed();
    if (relative.isEmpty())
        relative = entry.name + QStringLiteral(".dbf");
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    parts.removeAll(QStringLiteral("."));
    const bool absolute = relative.startsWith(QLatin1Char('/')) ||
                          (relative.size() >= 2 && relative[1] == QLatin1Char(':'));
    if (absolute || parts.isEmpty() || parts.contains(QStringLiteral("..")))
        throw Error(QStringLiteral("Die Tabelle %1 in %2 verweist auf %3 außerhalb des Ordners der "
                                   "Datenbank.")
                        .arg(entry.name, displayPath(path_), entry.path));
    QString found = QFileInfo(path_).path();
    for (const QString& part : std::as_const(parts)) {
        const QString next = findIgnoringCase(found, part);
        if (next.isEmpty())
            throw Error(QStringLiteral("Die Datei %1 der Tabelle %2 aus %3 fehlt.")
                            .arg(displayPath(QFileInfo(path_).dir().filePath(parts.join('/'))),
                                 entry.name, displayPath(path_)));
        found = next;
    }
    return found;
}

Table Container::table(const QString& name) const {
    const TableEntry* entry = find(name);
    if (!entry)
        throw Error(QStringLiteral("Tabelle %1 fehlt in %2.").arg(name, displayPath(path_)));
    Table table = Table::open(resolve(*entry));
    // The container names the fields in field order; a count that disagrees means its rows do
    // not describe this file, and the short names stand alone.
    if (entry->fieldNames.size() == table.fieldCount())
        table.setLongFieldNames(entry->fieldNames);
    return table;
}

} // namespace vfp

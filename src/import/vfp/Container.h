#pragma once

#include "import/vfp/Table.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vfp {

// A Visual FoxPro database container (.DBC with its .DCT memo), read-only.
//
// The container is itself a table whose rows describe the database. Of those this reads the live
// "Table" rows (long table name and file path, PROPERTY id 0x01) and their "Field" rows (long
// field names, in field order); indexes, relations, views and stored procedures are not needed
// and not read. Table files are found through the path a Table row gives, else as
// "<name>.dbf" beside the container, letter case ignored; paths leaving the container's folder
// are refused.
class Container {
public:
    struct TableEntry {
        QString name;           // the container's (long) table name
        QString path;           // file path relative to the container's folder, as stored
        QStringList fieldNames; // long field names in field order; may be empty
    };

    // Throws Error naming the file and the problem.
    static Container open(const QString& path);

    const QString& fileName() const { return path_; }
    const QList<TableEntry>& tables() const { return tables_; }
    // Whether the container names such a table, letter case ignored.
    bool hasTable(const QString& name) const;
    // Opens the table; a table the container does not name, or whose file is missing, is an
    // Error naming the container and the table.
    Table table(const QString& name) const;

private:
    const TableEntry* find(const QString& name) const;
    QString resolve(const TableEntry& entry) const;

    QString path_;
    QList<TableEntry> tables_;
};

} // namespace vfp

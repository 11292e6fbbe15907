#pragma once

#include "editors/BlDatChecks.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace db {
class Connection;
}

// The rail editor's work on table block, each on the command's connection. A write that another
// program may have made wrong meanwhile (courses placed on the rail) asks again inside its own
// transaction and then writes nothing.
namespace editors::bldat {

// Whether a course is placed on the rail with this key.
bool BlBelegt(db::Connection& c, const QString& railKey);

// Every rail of every school year in stored order, as the list shows them: BL_BEZ, five
// blanks, BL_VFP_ID.
QStringList railLines(db::Connection& c);
QString railLine(const QString& bez, const QString& key);

// The stored fields of a rail; none when there is no such rail.
std::optional<Rail> readRail(db::Connection& c, const QString& key);

// Whether another rail of that school year has this designation (see sameDesignation).
bool nameTaken(db::Connection& c, const QString& year, const QString& bez, const QString& ownKey);

// Writes the changed fields of a rail (hours as hours() gave them). False, writing nothing,
// when courses are placed on the rail by now.
bool writeChanges(db::Connection& c, const QString& key, const Changes& changed,
                  const Fields& fields, const QVariant& hours);

// Adds a rail to the school year behind the last one stored; returns its key.
QString addRail(db::Connection& c, const QString& year, const Fields& fields,
                const QVariant& hours);

// Deletes a rail. False, deleting nothing, when courses are placed on it by now.
bool deleteRail(db::Connection& c, const QString& key);

} // namespace editors::bldat

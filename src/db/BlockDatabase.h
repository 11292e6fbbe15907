#pragma once

#include <QString>

namespace db {

class Connection;

// Creates an empty block-formation database at path with the nine tables and their indexes,
// stamped with our schema version. Throws DbError (also when the file exists already).
void createDatabase(const QString& path);

// Drops and recreates table ckkurs with its fields and indexes, inside the caller's transaction.
void recreateCkkurs(Connection& c);

// Copies the database file all or nothing (platform::copyFile) while holding a read lock on it,
// so that a program writing to it meanwhile cannot leave the copy half old, half new.
void copyDatabase(const QString& from, const QString& to);

// The number of choice rows that name the course (a 6-character key, compared in full) in
// their year-12 or year-13 field; a row naming it in both counts once.
int AnzBelKurs(Connection& c, const QString& courseKey);

} // namespace db

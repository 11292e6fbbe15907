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

// Readies the name path for a database file that is to take its place. A journal that a crash
// left beside the file there would be played back into the new file when it is next opened:
// the file there is opened, which rolls the journal back into it; a journal without its file,
// or beside a file that is no database, is removed. Throws DbError (the file is locked).
void settleJournal(const QString& path);

// The number of choice rows that name the course (a 6-character key, compared in full) in
// their year-12 or year-13 field; a row naming it in both counts once.
int AnzBelKurs(Connection& c, const QString& courseKey);

// Writes into the file inside the caller's transaction, which takes the write lock and starts the
// journal: a file that could not take a write shows here (DbError). The caller rolls it back.
void probeWritable(Connection& c);

} // namespace db

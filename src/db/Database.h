#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace db {

class Statement;

// A failure of the block-formation database, with a German message naming the file once and
// saying the cause. kind tells the callers that answer some failures themselves; engineText is
// the database engine's own (English) text, for callers that read the details of a constraint.
class DbError : public std::runtime_error {
public:
    enum class Kind {
        Other,
        NotADatabase,
        MissingTable,
        Constraint,
        TooLong,
        FileExists,
        CannotOpen,
        Locked,
        ReadOnly,
        DiskFull,
        IoError,
        Damaged
    };
    DbError(Kind kind, const QString& message, const QString& engineText = {});
    Kind kind() const { return kind_; }
    QString message() const { return QString::fromUtf8(what()); }
    const QString& engineText() const { return engineText_; }

private:
    Kind kind_;
    QString engineText_;
};

// One connection to the block-formation database, open for one command and closed with the
// object. Opening an existing file never creates it; a file that is not an SQLite database is
// refused as NotADatabase. Registers the German collation "DEUTSCH" for ordering names.
class Connection {
public:
    enum class Mode { Existing, Create };
    // path is a system path (see platform::nativePath).
    // A statement that finds the file locked by another program waits up to busyTimeoutMs
    // (-1: the process's default, kBusyTimeoutMs unless set otherwise).
    explicit Connection(const QString& path, Mode mode = Mode::Existing, int busyTimeoutMs = -1);
    static constexpr int kBusyTimeoutMs = 2000;
    // How long storing a plan or the placement waits for another program's lock: long enough
    // for the other's save to end, the planner seeing the hourglass meanwhile.
    static constexpr int kSaveBusyTimeoutMs = 30000;
    // The wait of connections opened without one. kubb, which keeps no window responsive,
    // waits as long as the workspace's save does.
    static void setDefaultBusyTimeout(int ms);
    // Connections opened (or tried) in this process so far: one command should need one.
    static int openedSoFar();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const QString& path() const { return path_; }
    QSqlDatabase& database() { return db_; }

    // Runs a statement once with bound values (a db::Statement); throws DbError.
    QSqlQuery exec(const QString& sql, const QVariantList& values = {});
    // Runs a query that yields one value (the first column of the first row, or null).
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    bool hasTable(const QString& name);
    // A digest of the rows a query returns, in their order, every field in the engine's text
    // form and NULL apart from "": to see whether another program changed them meanwhile.
    QByteArray digest(const QString& sql);
    // The statement of this text, prepared once per connection: for the look-ups a command
    // repeats many times.
    Statement& prepared(const QString& sql);

    // Inserts a row; values are checked against the schema first (text lengths, number ranges).
    // Returns the new row's key.
    qint64 insert(const QString& table, const std::vector<std::pair<QString, QVariant>>& values);

    // The German message for a failed statement: every cause the engine reports, said once.
    DbError error(const QSqlError& e, const QString& sql) const;

private:
    QString path_;
    QString name_;
    QSqlDatabase db_;
    std::map<QString, std::unique_ptr<Statement>> prepared_;
    int depth_ = 0; // open Transactions on this connection
    friend class Transaction;
};

// Groups a command's writes: rolled back unless committed, so a failure midway leaves nothing
// half done. Inside another Transaction on the same connection it is a savepoint: committing it
// keeps its writes for the outer one, dropping it undoes only its own.
class Transaction {
public:
    explicit Transaction(Connection& c);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& c_;
    int level_;
    bool done_ = false;
};

// One state of the database for a command that only reads: every query until end() sees the
// file as it was at the first, however other programs write meanwhile (their commit waits for
// end()). A failure before end() lets the destructor end it.
class ReadTransaction {
public:
    explicit ReadTransaction(Connection& c);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    void end();

private:
    Connection& c_;
    bool done_ = false;
};

// Checks a value against a field of the schema; throws DbError (TooLong / Constraint).
void checkValue(const QString& table, const QString& field, const QVariant& value);

// The 6-character key of a number: right-aligned with leading blanks ("    12").
QString sixKey(qint64 n);

// Throws the DbError of a walk over q's rows that ended early (a read error).
void finished(Connection& c, const QSqlQuery& q);

// Text of a query column with NULL as "".
inline QString text(const QSqlQuery& q, const char* field) {
    return q.value(QLatin1String(field)).toString();
}

} // namespace db

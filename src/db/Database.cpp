#include "db/Database.h"

#include "db/Schema.h"
#include "db/Statement.h"
#include "platform/Platform.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>
#include <sqlite3.h>

namespace db {

DbError::DbError(Kind kind, const QString& message, const QString& engineText)
    : std::runtime_error(message.toStdString()), kind_(kind), engineText_(engineText) {}

namespace {

// The engine's failure in German, naming the file once. Its English text stays only where no
// German one fits (a rule of the file, an unforeseen failure); Qt's own words ("Unable to fetch
// row") never, as they only repeat the cause.
DbError describe(const QSqlError& e, const QString& path) {
    using K = DbError::Kind;
    const QString engine = e.databaseText().isEmpty() ? e.driverText() : e.databaseText();
    const auto fail = [&](K kind, const QString& text) { return DbError(kind, text, engine); };
    static const QRegularExpression missing(QStringLiteral("^no such (table|column): (\\S+)"));
    if (const auto m = missing.match(engine); m.hasMatch()) {
        if (m.captured(1) == QLatin1String("table"))
            return fail(K::MissingTable,
                        QStringLiteral("In %1 fehlt die Tabelle %2.").arg(path, m.captured(2)));
        return fail(K::Other, QStringLiteral("In %1 fehlt das Feld %2.").arg(path, m.captured(2)));
    }
    bool numeric = false;
    // The primary result code: an extended code carries it in its low byte.
    const int code = e.nativeErrorCode().toInt(&numeric) & 0xff;
    // The code's failure; %1 the file.
    static const struct {
        int code;
        K kind;
        const char* text;
    } codes[] = {
        {SQLITE_BUSY, K::Locked, "Die Datenbank %1 ist von einem anderen Programm gesperrt."},
        {SQLITE_LOCKED, K::Locked, "Die Datenbank %1 ist von einem anderen Programm gesperrt."},
        {SQLITE_PERM, K::CannotOpen, "Der Zugriff auf die Datenbank %1 ist nicht erlaubt."},
        {SQLITE_READONLY, K::ReadOnly,
         "Die Datenbank %1 ist schreibgeschützt: Sie kann gelesen, aber nicht geändert werden."},
        {SQLITE_IOERR, K::IoError,
         "Die Datenbank %1 kann nicht gelesen oder geschrieben werden: Der Datenträger meldet "
         "einen Ein-/Ausgabefehler."},
        {SQLITE_CORRUPT, K::Damaged, "Die Datenbank %1 ist beschädigt."},
        {SQLITE_FULL, K::DiskFull,
         "Die Datenbank %1 kann nicht geschrieben werden: Der Datenträger ist voll."},
        {SQLITE_CANTOPEN, K::CannotOpen, "Die Datenbank %1 kann nicht geöffnet werden."},
        {SQLITE_NOTADB, K::NotADatabase, "%1 ist keine Blockbildungsdatei."},
        {SQLITE_NOMEM, K::Other, "Für die Datenbank %1 reicht der Arbeitsspeicher nicht."},
    };
    for (const auto& c : codes)
        if (numeric && code == c.code)
            return fail(c.kind, QString::fromUtf8(c.text).arg(path));
    if (numeric && code == SQLITE_CONSTRAINT) {
        static const QRegularExpression unique(QStringLiteral("^UNIQUE constraint failed: (.+)$"));
        if (const auto m = unique.match(engine); m.hasMatch())
            return fail(K::Constraint,
                        QStringLiteral("Der Wert von %1 kommt in der Datenbank %2 schon vor.")
                            .arg(m.captured(1), path));
        // The rule's own words name it.
        return fail(K::Constraint, QStringLiteral("Der Wert verletzt eine Regel der Datenbank "
                                                  "%1: %2")
                                       .arg(path, engine));
    }
    if (engine.contains(QLatin1String("not a database")))
        return fail(K::NotADatabase, QStringLiteral("%1 ist keine Blockbildungsdatei.").arg(path));
    return fail(K::Other, QStringLiteral("Datenbankfehler in %1: %2").arg(path, engine));
}

// Primary key for ordering names: case folded, accents and umlauts on their base letters,
// ß as ss, so that Müller sorts with Muller and MÜLLER.
QString sortKey(const QString& s) {
    QString n = s.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(n.size());
    for (QChar c : n) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c == QChar(0x00DF)) {
            out += QStringLiteral("ss");
            continue;
        }
        out += c;
    }
    return out.toCaseFolded();
}

int compareGerman(void*, int n1, const void* s1, int n2, const void* s2) {
    const QString a = QString::fromUtf8(static_cast<const char*>(s1), n1);
    const QString b = QString::fromUtf8(static_cast<const char*>(s2), n2);
    int r = sortKey(a).compare(sortKey(b));
    if (r == 0)
        r = a.compare(b, Qt::CaseInsensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::atomic<int> connectionCounter{0};

QString connectionName() {
    return QStringLiteral("kubb-%1").arg(++connectionCounter);
}

} // namespace

namespace {
std::atomic<int> defaultBusyTimeoutMs{Connection::kBusyTimeoutMs};
} // namespace

void Connection::setDefaultBusyTimeout(int ms) {
    defaultBusyTimeoutMs = ms;
}

Connection::Connection(const QString& path, Mode mode, int busyTimeoutMs)
    : path_(path), name_(connectionName()) {
    if (busyTimeoutMs < 0)
        busyTimeoutMs = defaultBusyTimeoutMs;
    const QString native = platform::nativePath(path);
    const QFileInfo info(native);
    const bool exists = info.isFile();
    if (info.isDir())
        throw DbError(
            mode == Mode::Create ? DbError::Kind::FileExists : DbError::Kind::CannotOpen,
            QStringLiteral("%1 ist ein Verzeichnis, keine Blockbildungsdatei.").arg(path));
    if (mode == Mode::Create && QFileInfo::exists(native))
        throw DbError(DbError::Kind::FileExists,
                      QStringLiteral("Die Datei %1 existiert bereits.").arg(path));
    if (mode == Mode::Existing && !exists)
        throw DbError(DbError::Kind::CannotOpen,
                      QStringLiteral("Die Datenbank %1 wurde nicht gefunden.").arg(path));
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    QUrl url = QUrl::fromLocalFile(QFileInfo(native).absoluteFilePath());
    db_.setDatabaseName(url.toString(QUrl::FullyEncoded) + (mode == Mode::Create
                                                                ? QStringLiteral("?mode=rwc")
                                                                : QStringLiteral("?mode=rw")));
    db_.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db_.open()) {
        const DbError failure = describe(db_.lastError(), path);
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw failure;
    }
    const QVariant handle = db_.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (auto* h = *static_cast<sqlite3* const*>(handle.data()))
            sqlite3_create_collation_v2(h, "DEUTSCH", SQLITE_UTF8, nullptr, compareGerman, nullptr);
    }
    try {
        // SQLite reads the header only on first use: this is where a foreign file shows.
        exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (...) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw;
    }
}

Connection::~Connection() {
    prepared_.clear();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

DbError Connection::error(const QSqlError& e, const QString& sql) const {
    Q_UNUSED(sql);
    return describe(e, path_);
}

QSqlQuery Connection::exec(const QString& sql, const QVariantList& values) {
    Statement st(*this, sql);
    return std::move(st.run(values)); // the statement goes, its result stays
}

QVariant Connection::scalar(const QString& sql, const QVariantList& values) {
    return Statement(*this, sql).scalar(values);
}

Statement& Connection::prepared(const QString& sql) {
    auto& st = prepared_[sql];
    if (!st)
        st = std::make_unique<Statement>(*this, sql);
    return *st;
}

QByteArray Connection::digest(const QString& sql) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const auto field = [&hash](const char* text, int bytes) {
        if (text) {
            hash.addData(QByteArrayView(text, bytes));
            hash.addData(QByteArrayView("\x02", 1));
        } else {
            hash.addData(QByteArrayView("\x01", 1));
        }
    };
    // Straight from the engine: a field at a time through the driver took ten times as long.
    const QVariant handle = db_.driver()->handle();
    sqlite3* h = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                     ? *static_cast<sqlite3* const*>(handle.data())
                     : nullptr;
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (h && sqlite3_prepare_v2(h, text.constData(), static_cast<int>(text.size()), &st, nullptr) ==
                 SQLITE_OK) {
        const int n = sqlite3_column_count(st);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            for (int i = 0; i < n; ++i) {
                // The type before any conversion; the text before its length, as SQLite asks.
                const bool null = sqlite3_column_type(st, i) == SQLITE_NULL;
                const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                field(null ? nullptr : value ? value : "", sqlite3_column_bytes(st, i));
            }
            hash.addData(QByteArrayView("\n", 1));
        }
        sqlite3_finalize(st);
        if (rc == SQLITE_DONE)
            return hash.result();
        hash.reset();
    }
    // A failure (a lock, a missing table) says itself in German through the driver.
    QSqlQuery q = exec(sql);
    const int n = q.record().count();
    while (q.next()) {
        for (int i = 0; i < n; ++i) {
            const QByteArray value = q.value(i).toString().toUtf8();
            field(q.value(i).isNull() ? nullptr : value.constData(),
                  static_cast<int>(value.size()));
        }
        hash.addData(QByteArrayView("\n", 1));
    }
    return hash.result();
}

bool Connection::hasTable(const QString& name) {
    return scalar(QStringLiteral(
                      "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ? "
                      "COLLATE NOCASE"),
                  {name})
               .toInt() > 0;
}

qint64 Connection::insert(const QString& table,
                          const std::vector<std::pair<QString, QVariant>>& values) {
    QStringList fields;
    QVariantList binds;
    for (const auto& [field, value] : values) {
        fields << field;
        binds << value;
    }
    Statement st = Statement::insert(*this, table, fields);
    st.run(binds);
    return st.lastInsertId();
}

int Connection::openedSoFar() {
    return connectionCounter.load();
}

Transaction::Transaction(Connection& c) : c_(c), level_(c.depth_) {
    c_.exec(level_ == 0 ? QStringLiteral("BEGIN IMMEDIATE")
                        : QStringLiteral("SAVEPOINT kubb%1").arg(level_));
    ++c_.depth_;
}

Transaction::~Transaction() {
    if (done_)
        return;
    --c_.depth_;
    try {
        if (level_ == 0) {
            c_.exec(QStringLiteral("ROLLBACK"));
        } else {
            c_.exec(QStringLiteral("ROLLBACK TO kubb%1").arg(level_));
            c_.exec(QStringLiteral("RELEASE kubb%1").arg(level_));
        }
    } catch (...) {
        // The connection closes next; SQLite rolls back what is open.
    }
}

void Transaction::commit() {
    c_.exec(level_ == 0 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE kubb%1").arg(level_));
    --c_.depth_;
    done_ = true;
}

ReadTransaction::ReadTransaction(Connection& c) : c_(c) {
    c_.exec(QStringLiteral("BEGIN"));
    // A deferred transaction takes its read lock at its first read: take it now.
    c_.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

ReadTransaction::~ReadTransaction() {
    if (done_)
        return;
    try {
        c_.exec(QStringLiteral("ROLLBACK"));
    } catch (...) {
        // The connection closes next; SQLite ends what is open.
    }
}

void ReadTransaction::end() {
    done_ = true;
    c_.exec(QStringLiteral("COMMIT"));
}

void checkValue(const QString& tableName, const QString& fieldName, const QVariant& value) {
    if (value.isNull())
        return;
    const TableDef& t = table(tableName);
    const FieldDef* f = t.field(fieldName);
    if (!f)
        throw DbError(DbError::Kind::Other,
                      QStringLiteral("Die Tabelle %1 hat kein Feld %2.").arg(t.name, fieldName));
    switch (f->type) {
    case FieldType::Text: {
        const QString s = value.toString();
        if (s.size() > f->length)
            throw DbError(
                DbError::Kind::TooLong,
                QStringLiteral("Der Text \"%1\" ist für das Feld %2 der Tabelle %3 zu lang "
                               "(höchstens %4 Zeichen).")
                    .arg(s, f->name, t.name)
                    .arg(f->length));
        break;
    }
    case FieldType::Long:
    case FieldType::Integer:
    case FieldType::Byte: {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        const auto [lo, hi] = numberRange(f->type);
        if (!ok || n < lo || n > hi)
            throw DbError(
                DbError::Kind::Constraint,
                QStringLiteral("Der Wert \"%1\" passt nicht in das Feld %2 der Tabelle %3 "
                               "(%4 bis %5).")
                    .arg(value.toString(), f->name, t.name)
                    .arg(lo)
                    .arg(hi));
        break;
    }
    }
}

void finished(Connection& c, const QSqlQuery& q) {
    if (q.lastError().isValid())
        throw c.error(q.lastError(), q.lastQuery());
}

QString sixKey(qint64 n) {
    return (QString(6, QLatin1Char(' ')) + QString::number(n)).right(6);
}

} // namespace db

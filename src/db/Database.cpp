#include "db/Database.h"

#include "db/Schema.h"
#include "db/Statement.h"
#include "platform/Platform.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>
#include <sqlite3.h>

namespace db {

DbError::DbError(Kind kind, const QString& message)
    : std::runtime_error(message.toStdString()), kind_(kind) {}

namespace {

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

QString connectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("kubb-%1").arg(++counter);
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
    const bool exists = QFileInfo(native).isFile();
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
        const QString msg = db_.lastError().text();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw DbError(
            DbError::Kind::CannotOpen,
            QStringLiteral("Die Datenbank %1 kann nicht geöffnet werden: %2").arg(path, msg));
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
    const QString native = e.nativeErrorCode();
    const QString engine = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    if (native == QLatin1String("26") || engine.contains(QLatin1String("not a database")))
        return DbError(DbError::Kind::NotADatabase,
                       QStringLiteral("%1 ist keine Blockbildungsdatei: %2").arg(path_, engine));
    if (engine.startsWith(QLatin1String("no such table")))
        return DbError(DbError::Kind::MissingTable,
                       QStringLiteral("In %1 fehlt eine Tabelle: %2").arg(path_, engine));
    if (native == QLatin1String("5") || native == QLatin1String("6") ||
        engine.contains(QLatin1String("database is locked")))
        return DbError(
            DbError::Kind::Locked,
            QStringLiteral("Die Datenbank %1 ist von einem anderen Programm gesperrt: %2")
                .arg(path_, engine));
    if (native == QLatin1String("19") || engine.contains(QLatin1String("constraint failed")))
        return DbError(
            DbError::Kind::Constraint,
            QStringLiteral("Der Wert verletzt eine Regel der Datenbank %1: %2").arg(path_, engine));
    Q_UNUSED(sql);
    return DbError(DbError::Kind::Other,
                   QStringLiteral("Datenbankfehler in %1: %2").arg(path_, engine));
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
        const qlonglong lo = f->type == FieldType::Byte
                                 ? 0
                                 : (f->type == FieldType::Integer ? -32768 : -2147483648LL);
        const qlonglong hi = f->type == FieldType::Byte
                                 ? 255
                                 : (f->type == FieldType::Integer ? 32767 : 2147483647LL);
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

QString sixKey(qint64 n) {
    return (QString(6, QLatin1Char(' ')) + QString::number(n)).right(6);
}

} // namespace db

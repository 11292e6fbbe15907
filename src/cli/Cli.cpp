#include "cli/Cli.h"

#include "common/Session.h"
#include "platform/Platform.h"
#include "platform/Text.h"

#include <QFileInfo>
#include <cerrno>
#include <cstdio>

namespace cli {

Args::Args(const QString& command, QStringList args, const QStringList& flags, bool positional)
    : command_(command) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1String("--")) && positional) {
            words_ << a;
            continue;
        }
        if (!a.startsWith(QLatin1String("--")))
            throw UsageError(QStringLiteral("unerwartetes Argument: ") + a);
        if (flags.contains(a)) {
            flags_ << a;
            continue;
        }
        if (i + 1 >= args.size())
            throw UsageError(a + QStringLiteral(" braucht einen Wert"));
        values_.emplace_back(a, args[++i]);
    }
}

QString Args::value(const QString& name) const {
    const QStringList all = values(name);
    return all.isEmpty() ? QString() : all.last();
}

QStringList Args::values(const QString& name) const {
    QStringList out;
    for (const auto& [n, v] : values_)
        if (n == name)
            out << v;
    return out;
}

bool Args::flag(const QString& name) const {
    return flags_.contains(name);
}

QString Args::required(const QString& name) const {
    const QString v = value(name);
    if (v.isEmpty())
        throw UsageError(command_ + QStringLiteral(" braucht ") + name);
    return v;
}

void Args::allowOnly(const QStringList& names) const {
    for (const auto& [n, v] : values_)
        if (!names.contains(n))
            throw UsageError(QStringLiteral("unbekannte Option: ") + n);
    for (const QString& f : flags_)
        if (!names.contains(f))
            throw UsageError(QStringLiteral("unbekannte Option: ") + f);
}

namespace {

// The standard output as a device that remembers why a write failed: each write the text stream
// hands on goes out at once (the stream buffers), so that the first failure is the one said.
class StandardOutput : public QIODevice {
public:
    StandardOutput() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    int failure = 0; // errno of the first failed write; 0 while none failed

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        errno = 0;
        if (std::fwrite(data, 1, static_cast<size_t>(size), stdout) == static_cast<size_t>(size) &&
            std::fflush(stdout) == 0)
            return size;
        if (failure == 0)
            failure = errno != 0 ? errno : EIO;
        return -1;
    }
};

StandardOutput& standardOutput() {
    static StandardOutput device;
    return device;
}

} // namespace

QTextStream& out() {
    static QTextStream s(&standardOutput());
    return s;
}

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

std::optional<QString> outputFailure() {
    out().flush();
    const int error = standardOutput().failure;
    if (out().status() == QTextStream::Ok && error == 0)
        return std::nullopt;
    QString reason;
    if (error == ENOSPC)
        reason = QStringLiteral(": Der Datenträger ist voll");
    else if (error == EIO)
        reason = QStringLiteral(": Der Datenträger meldet einen Ein-/Ausgabefehler");
    return QStringLiteral("Die Ausgabe konnte nicht vollständig geschrieben werden%1.").arg(reason);
}

ui::QuietHost& host() {
    static ui::QuietHost h = [] {
        ui::QuietHost q;
        q.onMessage = [](const ui::Message& m) {
            err() << QString(m.text).replace(platform::kCrLf, QStringLiteral("\n")) << Qt::endl;
        };
        return q;
    }();
    return h;
}

std::runtime_error cohortNotOffered(const QString& cohort, const QString& schjBez,
                                    const QStringList& offered) {
    return std::runtime_error(
        QStringLiteral("Der Kollegiatenjahrgang %1 wird zum Schuljahr %2 nicht angeboten "
                       "(angeboten: %3).")
            .arg(cohort, schjBez, offered.join(QStringLiteral(", ")))
            .toStdString());
}

void requireSchoolYear(const platform::RunState& s) {
    if (s.SchjID.trimmed().isEmpty())
        throw std::runtime_error(QStringLiteral("Die Datenbank %1 hat kein Schuljahr.")
                                     .arg(s.databasePath())
                                     .toStdString());
}

QString pathArg(const QString& path) {
    if (platform::hasDriveLetter(path))
        return path;
    return QFileInfo(path).absoluteFilePath();
}

Target target(const Args& a, bool bothYearGroups) {
    Target t;
    t.path = pathArg(a.required(QStringLiteral("--db"))).trimmed(); // as useDatabase reads it
    const QStringList years = a.required(QStringLiteral("--cohort")).split(QLatin1Char(','));
    if (years.size() > (bothYearGroups ? 2 : 1))
        throw UsageError(bothYearGroups
                             ? QStringLiteral("--cohort nennt einen Jahrgang oder zwei (2009,2008)")
                             : QStringLiteral("--cohort nennt hier einen Jahrgang (YYYY)"));
    for (const QString& year : years) {
        bool ok = false;
        t.cohorts.push_back(year.trimmed().toInt(&ok));
        if (!ok)
            throw UsageError(QStringLiteral("--cohort braucht ein Jahr (YYYY)"));
    }
    if (t.cohorts.size() == 2 && t.cohorts[0] == t.cohorts[1])
        throw UsageError(QStringLiteral("--cohort nennt zwei verschiedene Jahrgänge"));
    t.cohort = t.cohorts.front();
    platform::RunState s;
    s.useDatabase(t.path);
    common::LiesSchj(s, host());
    requireSchoolYear(s);
    t.year = {s.SchjID, s.SchjBez};
    return t;
}

} // namespace cli

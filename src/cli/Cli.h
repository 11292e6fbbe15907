#pragma once

#include "blocking/Model.h"
#include "platform/RunState.h"
#include "ui/QuietHost.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>
#include <stdexcept>
#include <vector>

// The pieces every kubb command shares: its options, its host and its output.
namespace cli {

// A wrong call: kubb prints the message and the usage and exits with 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The options of one call: "--name value" (a name may repeat) and the flags the command names;
// words that are no option only where the command takes them (positional).
class Args {
public:
    Args(const QString& command, QStringList args, const QStringList& flags = {},
         bool positional = false);
    const QStringList& words() const { return words_; }
    const QString& command() const { return command_; }
    QString value(const QString& name) const; // the last value; "" when absent
    QStringList values(const QString& name) const;
    bool flag(const QString& name) const;
    // The value; a UsageError naming the command when it is missing.
    QString required(const QString& name) const;
    // A UsageError for every option the command does not know.
    void allowOnly(const QStringList& names) const;

private:
    QString command_;
    std::vector<std::pair<QString, QString>> values_;
    QStringList flags_;
    QStringList words_;
};

// One command: its name (one word, or two as in "print rails"), its lines in the usage text and
// what it runs (the exit code). A command that paints pages (PDF) runs with the GUI application
// on the offscreen platform: fonts need it, a display it does not.
struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Args& args);
    QStringList flags = {};
    bool paints = false;
    bool positional = false; // takes words besides its options
};

QTextStream& out();
QTextStream& err();
// Flushes the standard output and tells whether everything written to it got there: the German
// reason when not (a full disk, an I/O error, a closed output), nothing when it did.
std::optional<QString> outputFailure();
// A host for the core: boxes go to stderr as plain lines, every question gets its default.
ui::QuietHost& host();
// The error of a cohort (course phase) that the school year does not offer, naming those it does.
std::runtime_error cohortNotOffered(const QString& cohort, const QString& schjBez,
                                    const QStringList& offered);
// Refuses a run whose database has no school year (LiesSchj found none): nothing of it could be
// printed, exported or blocked.
void requireSchoolYear(const platform::RunState& s);
// A path given on the command line as the program uses it: drive-letter paths stay as they are
// (they map the Wine way when opened), others become absolute.
QString pathArg(const QString& path);

// The file and cohort a blocking command works on (--db, --cohort) with the file's school year.
struct Target {
    QString path;
    blocking::SchoolYear year;
    int cohort = 0;           // the first of cohorts
    std::vector<int> cohorts; // one; two ("--cohort 2009,2008") where bothYearGroups allows
};
Target target(const Args& a, bool bothYearGroups = false);

} // namespace cli

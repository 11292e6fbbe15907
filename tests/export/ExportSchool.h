#pragma once

#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <functional>

namespace test {

// Points the Wine prefix at a temporary folder, so that no MERIX.INI of the machine is found
// unless the test writes one.
struct WinePrefix {
    TempDir tmp;
    WinePrefix() { qputenv("WINEPREFIX", tmp.dir().toUtf8()); }
    ~WinePrefix() { qunsetenv("WINEPREFIX"); }
    QString driveC() const {
        QDir().mkpath(tmp.path("drive_c"));
        return tmp.path("drive_c/");
    }
};

// The user's part in "Auswahl der Kursphase": selects the line of phase and clicks "&Ok".
std::function<void(ui::Window&)> choosePhase(const QString& phase);

// A block-formation file of the school year 2008/2009, empty but for the school year, the run
// state on it and the folder the export writes into (tmp/merix/).
struct ExportSchool {
    WinePrefix wine;
    TempDir tmp;
    TestDb db{tmp.path("BB.MDB")};
    platform::RunState s;
    ScriptedHost host;

    ExportSchool() {
        db.schoolYear("2008/2009", "     3");
        db.useIn(s, "2008/2009", "     3");
        QDir().mkpath(tmp.path("merix"));
    }
    QString out(const QString& name = {}) const { return tmp.path("merix/" + name); }
    QByteArray file(const QString& name) const { return tmp.read("merix/" + name); }
    // Every entry of the export folder, hidden ones too.
    QStringList entries() const {
        return QDir(out()).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    // Scripts the questions of the export: the folder through the file dialog (no INI file),
    // then the course phase in the chooser.
    void answer(const QString& phase) {
        host.onOpenFile(out("MERIX.KO")).onModal("frmAKursPh", choosePhase(phase));
    }

    void student(const QString& key, const QString& phase, const QVariant& fam,
                 const QVariant& ruf);
    void choice(const QString& student, const QVariant& art, const QVariant& course12,
                const QVariant& course13, const QVariant& subject);
    void course(const QString& key, const QString& bez);
    void rail(int id, const QString& year, const QVariant& bez, const QVariant& name,
              const QVariant& sort, const QVariant& hours);
    void placed(const QVariant& rail, const QVariant& course, const QVariant& key);
};

// Expected file contents, written by hand: lines of Windows-1252 bytes, each ended by CR LF.
QByteArray crlf(const QByteArrayList& lines);
QByteArrayList stars(int n);
QByteArrayList koRecord(const QByteArray& phase, const QByteArray& fam, const QByteArray& ruf);
QByteArrayList gkRecord(const QByteArray& key, const QByteArray& year12, const QByteArray& year13,
                        const QByteArray& subject, const QByteArray& art);

} // namespace test

// kubb: the block formation's commands without windows, for scripts and the demo. It runs on
// the same core as the program; what the program would show in a box goes to stderr.
#include "app/StartUp.h"
#include "common/MessageWindow.h"
#include "common/Session.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "import/ErzKuB.h"
#include "import/PreAssign.h"
#include "import/Transfers.h"
#include "import/vfp/Container.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "ui/QuietHost.h"
#include "ui/Window.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

namespace {

const char* const kUsage =
    "Aufruf: kubb BEFEHL [OPTIONEN]\n"
    "\n"
    "Befehle:\n"
    "  create --output PFAD\n"
    "      Erzeugt eine leere Blockbildungsdatei mit allen Tabellen.\n"
    "\n"
    "  import --container QZ.DBC --school-year 2009/2010 --cohort 2009 [--cohort 2008]\n"
    "         --output PFAD [--pointer-dir VERZEICHNIS]\n"
    "      Baut eine neue Blockbildungsdatei aus dem Datenbankcontainer der\n"
    "      Schulverwaltung, wie es das Importfenster tut, und besetzt danach die\n"
    "      Kurse vor.\n"
    "      --container     der Container (.DBC) der Schulverwaltung\n"
    "      --school-year   das Schuljahr, wie es im Container steht\n"
    "      --cohort        ein Kollegiatenjahrgang (Kursphase); hoechstens zweimal.\n"
    "                      Angeboten werden das Anfangsjahr des Schuljahres und das\n"
    "                      Jahr davor, wenn es Kollegiaten dieser Kursphase gibt.\n"
    "      --output        die neue Blockbildungsdatei; sie darf noch nicht bestehen\n"
    "      --pointer-dir   schreibt dort die Zeigerdatei TCLASSK auf die neue Datei\n"
    "      Belegungen, fuer die es keinen Kurs gibt, stehen auf der Standardausgabe.\n"
    "\n"
    "  --help   zeigt diese Hilfe.\n"
    "\n"
    "Rueckgabewert: 0 bei Erfolg, 1 bei einem Fehler (die Meldung steht auf stderr),\n"
    "2 bei falschem Aufruf.\n";

struct Options {
    QString command, output, container, schoolYear, pointerDir;
    QStringList cohorts;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Options parse(QStringList args) {
    Options o;
    o.command = args.takeFirst();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&]() -> QString {
            if (i + 1 >= args.size())
                throw UsageError((a + QStringLiteral(" braucht einen Wert")).toStdString());
            return args[++i];
        };
        if (a == QLatin1String("--output"))
            o.output = value();
        else if (a == QLatin1String("--container"))
            o.container = value();
        else if (a == QLatin1String("--school-year"))
            o.schoolYear = value();
        else if (a == QLatin1String("--cohort"))
            o.cohorts << value();
        else if (a == QLatin1String("--pointer-dir"))
            o.pointerDir = value();
        else
            throw UsageError((QStringLiteral("unbekannte Option: ") + a).toStdString());
    }
    return o;
}

int runImport(const Options& o) {
    if (o.container.isEmpty() || o.schoolYear.isEmpty() || o.output.isEmpty() ||
        o.cohorts.isEmpty())
        throw UsageError("import braucht --container, --school-year, --cohort und --output");
    if (o.cohorts.size() > 2)
        throw UsageError("hoechstens zwei --cohort");
    const vfp::Container container = vfp::Container::open(o.container);
    const QStringList years = importer::schoolYearLines(container);
    QString line;
    for (const QString& l : years)
        if (l.left(9).trimmed() == o.schoolYear.trimmed()) {
            line = l;
            break;
        }
    if (line.isEmpty())
        throw std::runtime_error(QStringLiteral("Das Schuljahr %1 steht nicht im Container %2.")
                                     .arg(o.schoolYear, o.container)
                                     .toStdString());

    importer::Selection sel{
        line.right(6), line.left(9), importer::previousKey(years, line.left(9)), {}};
    const QStringList offered = importer::cohortsOffered(container, sel.schjBez);
    for (const QString& p : offered)
        if (o.cohorts.contains(p))
            sel.cohorts << p;
    for (const QString& p : o.cohorts)
        if (!offered.contains(p))
            throw std::runtime_error(
                QStringLiteral("Der Kollegiatenjahrgang %1 wird zum Schuljahr %2 nicht angeboten "
                               "(angeboten: %3).")
                    .arg(p, sel.schjBez, offered.join(QStringLiteral(", ")))
                    .toStdString());

    ui::QuietHost host;
    host.onMessage = [](const ui::Message& m) {
        QTextStream(stderr) << QString(m.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                            << "\n";
    };
    platform::RunState s;
    QString full = QFileInfo(o.output).absoluteFilePath();
    const platform::SplitPath parts = platform::splitPath(full);
    s.DatenPfad = parts.dir;
    s.DatenDatei = parts.file;
    s.VerwDbcPfad = o.container;
    s.SchjBez = sel.schjBez;
    s.SchjID = sel.schjId;
    db::createDatabase(s.databasePath());
    importer::runTransfers(s, host, sel);
    if (!o.pointerDir.isEmpty()) {
        QString dir = o.pointerDir;
        if (!dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QLatin1Char('\\')))
            dir += QLatin1Char('/');
        platform::writePointerFile(dir, s.databasePath());
    }
    common::LiesSchj(s, host);
    common::frmFMld window(host);
    const QString notServed = importer::Vorbesetzen(s, host, window);
    QTextStream out(stdout);
    out << "Datenbank " << s.databasePath() << " wurde erstellt!\n";
    if (!notServed.isEmpty())
        out << window.caption() << "\n"
            << QString(notServed).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty() || args.contains(QStringLiteral("--help")) ||
        args.contains(QStringLiteral("-h"))) {
        QTextStream(stdout) << kUsage;
        return args.isEmpty() ? 2 : 0;
    }
    try {
        const Options o = parse(args);
        if (o.command == QLatin1String("create")) {
            if (o.output.isEmpty())
                throw UsageError("create braucht --output PFAD");
            db::createDatabase(o.output);
            QTextStream(stdout) << "Datenbank " << o.output << " wurde erstellt!\n";
            return 0;
        }
        if (o.command == QLatin1String("import"))
            return runImport(o);
        throw UsageError((QStringLiteral("unbekannter Befehl: ") + o.command).toStdString());
    } catch (const UsageError& e) {
        QTextStream(stderr) << "kubb: " << QString::fromUtf8(e.what()) << "\n\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        QTextStream(stderr) << "kubb: " << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }
}

// kubb: the block formation's commands without windows, for scripts and the demo. It runs on
// the same core as the program; messages that the program would show in a box go to stderr.
#include "db/BlockDatabase.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

const char* const kUsage =
    "Aufruf: kubb BEFEHL [OPTIONEN]\n"
    "\n"
    "Befehle:\n"
    "  create --output PFAD\n"
    "      Erzeugt eine leere Blockbildungsdatei mit allen Tabellen. Eine vorhandene\n"
    "      Datei wird nicht ueberschrieben.\n"
    "\n"
    "  --help   zeigt diese Hilfe.\n"
    "\n"
    "Rueckgabewert: 0 bei Erfolg, 1 bei einem Fehler (die Meldung steht auf stderr),\n"
    "2 bei falschem Aufruf.\n";

int usageError(const QString& text) {
    QTextStream(stderr) << "kubb: " << text << "\n\n" << kUsage;
    return 2;
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
    const QString command = args.takeFirst();
    QString output;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--output") && i + 1 < args.size())
            output = args[++i];
        else
            return usageError(QStringLiteral("unbekannte Option: ") + args[i]);
    }
    try {
        if (command == QLatin1String("create")) {
            if (output.isEmpty())
                return usageError(QStringLiteral("create braucht --output PFAD"));
            db::createDatabase(output);
            QTextStream(stdout) << "Datenbank " << output << " wurde erstellt!\n";
            return 0;
        }
        return usageError(QStringLiteral("unbekannter Befehl: ") + command);
    } catch (const std::exception& e) {
        QTextStream(stderr) << "kubb: " << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }
}

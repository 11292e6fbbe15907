// kubb: the block formation's commands without windows, for scripts and the demo. It runs on
// the same core as the program; what the program would show in a box goes to stderr.
#include "cli/Commands.h"
#include "db/Database.h"

#include <QGuiApplication>
#include <memory>

namespace {

const char* const kHead = "Aufruf: kubb BEFEHL [OPTIONEN]\n\nBefehle:\n";
const char* const kTail =
    "  --help   zeigt diese Hilfe.\n"
    "\n"
    "Rückgabewert: 0 bei Erfolg, 1 bei einem Fehler (die Meldung steht auf stderr),\n"
    "2 bei falschem Aufruf.\n";

// The usage of each command: its lines indented by two blanks.
const char* const kCreateUsage =
    "  create --output PFAD\n"
    "      Erzeugt eine leere Blockbildungsdatei mit allen Tabellen.\n";

const char* const kImportUsage =
    "  import --container QZ.DBC --school-year 2009/2010 --cohort 2009 [--cohort 2008]\n"
    "         --output PFAD [--pointer-dir VERZEICHNIS]\n"
    "      Baut eine neue Blockbildungsdatei aus dem Datenbankcontainer der\n"
    "      Schulverwaltung, wie es das Importfenster tut, und besetzt danach die\n"
    "      Kurse vor.\n"
    "      --container     der Container (.DBC) der Schulverwaltung\n"
    "      --school-year   das Schuljahr, wie es im Container steht\n"
    "      --cohort        ein Kollegiatenjahrgang (Kursphase); höchstens zweimal.\n"
    "                      Angeboten werden das Anfangsjahr des Schuljahres und das\n"
    "                      Jahr davor, wenn es Kollegiaten dieser Kursphase gibt.\n"
    "      --output        die neue Blockbildungsdatei; sie darf noch nicht bestehen\n"
    "      --pointer-dir   schreibt dort die Zeigerdatei TCLASSK auf die neue Datei\n"
    "      Belegungen, für die es keinen Kurs gibt, stehen auf der Standardausgabe.\n";

const char* const kPrintRailsUsage =
    "  print rails --db PFAD (--text DATEI | --pdf DATEI)\n"
    "      Druckt die Schienen des aktuellen Schuljahres mit ihren Kursen und deren\n"
    "      Schülerzahlen, wie es der Menüpunkt Drucken/Schienen tut.\n"
    "      --db      die Blockbildungsdatei\n"
    "      --text    schreibt die gedruckten Zeilen als Text (UTF-8), eine Zeile mit\n"
    "                Seitenvorschub (\\f) zwischen zwei Seiten\n"
    "      --pdf     schreibt die gedruckten Seiten als PDF (A4)\n";

const char* const kPrintListsUsage =
    "  print lists --db PFAD --cohort JAHR --rails GK1,GK2,... [--landscape]\n"
    "              (--text DATEI | --pdf DATEI)\n"
    "      Druckt die Block-Kurs-Listen eines Kollegiatenjahrgangs für die genannten\n"
    "      Schienen, wie es das Fenster Drucken/Block-Kurs-Listen tut.\n"
    "      --cohort     der Kollegiatenjahrgang (Kursphase)\n"
    "      --rails      die Schienen mit ihrer Bezeichnung, durch Kommas getrennt;\n"
    "                   höchstens 16 im Hochformat, 25 im Querformat\n"
    "      --landscape  Querformat (50 Schüler je Seite) statt Hochformat (75)\n"
    "      --text, --pdf wie bei print rails\n";

const char* const kExportUsage =
    "  export --db PFAD --cohort 2009 --to VERZEICHNIS\n"
    "      Schreibt die vier Dateien für die Schulverwaltung (MERIX.KO, MERIX.GK,\n"
    "      MERIX.BL, MERIX.CK) wie der Menüpunkt Exportieren: die Kollegiaten eines\n"
    "      Jahrgangs mit ihren Grundkursbelegungen, die Schienen des Schuljahres und\n"
    "      die gesetzten Kurse. Die vier Dateien ersetzen die bisherigen gemeinsam\n"
    "      oder gar nicht.\n"
    "      --db        die Blockbildungsdatei; ihr erstes Schuljahr gilt\n"
    "      --cohort    der Kollegiatenjahrgang (Kursphase): das Anfangsjahr des\n"
    "                  Schuljahres oder das Jahr davor\n"
    "      --to        das Verzeichnis der Dateien\n";

const char* const kBlockUsage =
    "  block --db PFAD --cohort 2009[,2008] [--mode rest|all|keep] [--seconds 10] [--seed 1]\n"
    "        [--threads N] [--changes DATEI] [--keep-variants N]\n"
    "      Setzt die Kurse eines Kollegiatenjahrgangs automatisch auf die Schienen\n"
    "      des Schuljahres und verteilt seine Schüler auf die Parallelkurse: keine\n"
    "      Kollisionen, möglichst gleich große Parallelkurse. Schreibt die\n"
    "      Schienen (ckkurs) und die Kurse der Schüler und zeigt die Bewertung\n"
    "      vorher und nachher.\n"
    "      --cohort    der Jahrgang; zwei (2009,2008) setzen die Kurse beider\n"
    "                  Jahrgangsstufen in einer Suche auf die gemeinsamen Schienen:\n"
    "                  die Lehrer und die Schüler beider zählen, ein Plan für beide\n"
    "                  (ohne --keep-variants)\n"
    "      --mode      rest: gesetzte Kurse bleiben, nur die restlichen werden\n"
    "                  gesetzt (Vorgabe); all: alles neu, nur fixierte bleiben;\n"
    "                  keep: wenig ändern: vom gespeicherten Plan aus möglichst\n"
    "                  wenige Schüler in andere Kurse, dann möglichst wenige\n"
    "                  Kurse auf andere Schienen; zeigt die Kurswechsel\n"
    "      --seconds   Zeitgrenze (Vorgabe 10), vom Start des Programms an: der\n"
    "                  Start und das Lesen der Datei zählen mit, das Speichern\n"
    "                  kommt hinzu; die Suche endet früher, wenn das Ergebnis\n"
    "                  optimal ist\n"
    "      --seed      Startwert: gleicher Startwert und gleiche Zahl der Threads\n"
    "                  geben dasselbe Ergebnis, wenn die Suche vor der Zeitgrenze\n"
    "                  endet\n"
    "      --threads   Zahl der Suchketten (Vorgabe: eine je Kern)\n"
    "      --changes   schreibt die Kurswechsel in die Textdatei (UTF-8), einen\n"
    "                  je Zeile: \"Schüler Name: alter Kurs → neuer Kurs\"\n"
    "      --keep-variants  speichert mit dem Plan die N besten Pläne der Suche,\n"
    "                  die sich in mindestens einer Schiene eines Kurses\n"
    "                  unterscheiden, als Varianten \"Automatisch 1 (TT.MM.JJJJ\n"
    "                  hh:mm)\" usw. (0 bis 100, Vorgabe 0); die erste ist der\n"
    "                  gespeicherte Plan. Plan und Varianten werden zusammen\n"
    "                  gespeichert oder gar nicht\n";

const char* const kEvaluateUsage =
    "  evaluate --db PFAD --cohort 2009[,2008] [--json]\n"
    "      Bewertet die Schienen und Kurse eines Kollegiatenjahrgangs, wie sie in\n"
    "      der Datei stehen: Kollisionen, nicht gesetzte Kurse, Belegungen ohne\n"
    "      Kurs, Kurse außerhalb ihrer Grenzen, Kurse auf zu vielen Schienen,\n"
    "      größte Differenz der Parallelkurse und die Summe der\n"
    "      Abweichungsquadrate, jede mit dem bestmöglichen Wert. Mit zwei\n"
    "      Jahrgängen beide Jahrgangsstufen zusammen, die Kollisionen auch je\n"
    "      Jahrgang.\n";

const char* const kProposeUsage =
    "  propose --db PFAD --cohort 2009 [--json] [--max-size N] [--min-size N]\n"
    "          [--seconds 10] [--seed 1] [--threads N] [--rails-into KOPIE]\n"
    "          [--without KURS]... [--with-parallel KURS]...\n"
    "      Vorschläge vor dem Setzen, ohne etwas zu schreiben: je Fach und Art die\n"
    "      Wähler, die Parallelkurse mit ihren Größen und Grenzen (KS_MIN, KS_MAX,\n"
    "      KS_OPT), die wenigsten Parallelkurse, die alle Grenzen einhalten, welcher\n"
    "      Kurs entfallen könnte oder hinzukommen sollte, Durchschnitt und Spanne\n"
    "      der Größen; dann die wenigsten Schienen jeder Stundenzahl, auf denen die\n"
    "      Kurse ohne Kollision stehen können (Lehrer und Regeln eingehalten,\n"
    "      Festlegungen bleiben), mit einem Plan als Beleg und einer unteren\n"
    "      Schranke durch Zählen: \"bewiesen\", wo beide gleich sind.\n"
    "      --max-size, --min-size  Grenzen für Kurse, deren Datei keine nennt\n"
    "      --seconds   Zeitgrenze der Schienensuche und jeder Was-wäre-wenn-Suche\n"
    "      --rails-into  schreibt eine Kopie der Datei mit den nötigen Schienen\n"
    "                  und dem Plan; die Datei selbst bleibt, wie sie ist\n"
    "      --without KURS  was wäre ohne diesen Kurs (wiederholbar)\n"
    "      --with-parallel KURS  was wäre mit einem Parallelkurs mehr\n"
    "                  (wiederholbar); zeigt die Bewertung des besten Plans\n"
    "                  und die nötigen Schienen, ohne zu schreiben\n";

const char* const kRulesUsage =
    "  rules --db PFAD list | add ART ANGABE [ANGABE] | remove NUMMER\n"
    "      Zeigt, ergänzt oder löscht die Regeln des Schuljahres, die das\n"
    "      automatische Setzen einhält und die Bewertung prüft. list zeigt eine\n"
    "      Regel je Zeile mit ihrer Nummer. Die Arten:\n"
    "        course-not-on-rail KURS SCHIENE   der Kurs nie auf der Schiene\n"
    "        courses-together KURS KURS        beide Kurse auf denselben Schienen\n"
    "        courses-apart KURS KURS           beide Kurse nie auf einer Schiene\n"
    "        parallels-apart FACH              die Parallelkurse des Fachs auf\n"
    "                                          verschiedenen Schienen\n"
    "        student-in-course SCHUELER KURS   der Schüler in diesem Kurs\n"
    "        student-not-in-course SCHUELER KURS   der Schüler nie in diesem Kurs\n"
    "        students-together SCHUELER SCHUELER   in jedem Fach, das beide\n"
    "                                          gewählt haben, im selben Kurs\n"
    "        students-apart SCHUELER SCHUELER  in keinem Fach im selben Kurs\n"
    "      KURS ist die Bezeichnung des Kurses, SCHIENE die der Schiene, SCHUELER\n"
    "      der Schlüssel des Schülers, FACH das Kürzel des Fachs; Groß- und\n"
    "      Kleinschreibung zählen nicht.\n";

const char* const kVariantUsage =
    "  variant --db PFAD --cohort 2009 save NAME [--comment TEXT] | list [--json] |\n"
    "          apply NAME | delete NAME | rename ALT NEU | diff NAME NAME\n"
    "      Varianten: benannte Pläne eines Kollegiatenjahrgangs (Schienen der Kurse\n"
    "      mit Fixierung, Kurse der Schüler) in der Blockbildungsdatei.\n"
    "      save      speichert den aktuellen Plan unter dem Namen (Groß- und\n"
    "                Kleinschreibung zählen nicht; jeder Name nur einmal)\n"
    "      list      zeigt jede Variante mit ihrer Bewertung und wie viele Schüler\n"
    "                andere Kurse und wie viele Kurse andere Schienen hätten als\n"
    "                jetzt; --json mit den Feldern von evaluate --json und name,\n"
    "                created, comment, changedStudents, movedCourses\n"
    "      apply     macht die Variante zum aktuellen Plan; der bisherige wird\n"
    "                vorher als \"vor Übernahme TT.MM.JJJJ hh:mm:ss\" gespeichert.\n"
    "                Was nicht mehr passt (gelöschte Schienen, geänderte\n"
    "                Belegungen), bleibt, wie es ist, und wird gezählt\n"
    "      delete, rename  löscht oder benennt eine Variante um\n"
    "      diff      zeigt die Kurse auf anderen Schienen und die Schüler in\n"
    "                anderen Kursen; \"aktuell\" steht für den aktuellen Plan\n";

const char* const kImportKurs42Usage =
    "  import-kurs42 --from DIR|ZIP --output PFAD [--pointer-dir VERZEICHNIS]\n"
    "      Baut eine neue Blockbildungsdatei aus dem Export von Kurs42 (Ordner oder\n"
    "      Zip-Datei): Schuljahr, Kollegiaten, Fächer, Kurse, Schienen, die Kurse auf\n"
    "      den Schienen mit ihren Festlegungen, gesperrte Schienen als Regeln und die\n"
    "      Fachwahlen mit ihren Kursen. Was nicht übernommen werden konnte, steht mit\n"
    "      Datei und Zeile auf der Standardausgabe.\n"
    "      --output        die neue Blockbildungsdatei; sie darf noch nicht bestehen\n"
    "      --pointer-dir   schreibt dort die Zeigerdatei TCLASSK auf die neue Datei\n";

const char* const kExportKurs42Usage =
    "  export-kurs42 --db PFAD --cohort JAHR --to DIR|ZIP\n"
    "      Schreibt einen Kollegiatenjahrgang als Export von Kurs42 in einen Ordner\n"
    "      oder, wenn das Ziel auf .zip endet, in eine Zip-Datei.\n";

const char* const kExportUntisUsage =
    "  export-untis --db PFAD --cohort JAHR --to VERZEICHNIS [--separator \";\"|\",\"|tab]\n"
    "               [--encoding utf-8|windows-1252] [--first-lesson N] [--student-key id|name]\n"
    "      Schreibt den Plan eines Kollegiatenjahrgangs als GPU-Dateien für das\n"
    "      Stundenplanprogramm: GPU002.TXT die Kurse als Unterrichte (Nummern ab N),\n"
    "      GPU010.TXT die Schüler, GPU015.TXT ihre Kurse mit den Parallelkursen als\n"
    "      Alternativen, GPU019.TXT die Schienen als Unterrichtsfolgen gleichzeitigen\n"
    "      Unterrichts (Art 2). Die vier Dateien ersetzen die bisherigen gemeinsam oder\n"
    "      gar nicht; ein Wert, den sie nicht fassen können, verhindert den Export.\n"
    "      Die Felder und die Hinweise erklärt die Hilfe (Stundenplan (GPU) exportieren).\n"
    "      --separator     Feldtrenner (Vorgabe \";\")\n"
    "      --encoding      Zeichensatz (Vorgabe utf-8, ohne Byte-Order-Mark)\n"
    "      --first-lesson  erste Unterrichtsnummer (Vorgabe 1): eine, ab der der\n"
    "                      Stundenplan noch keine Nummern vergeben hat\n"
    "      --student-key   Schülerschlüssel: id \"S-\" und Schlüssel der Schulverwaltung\n"
    "                      (Vorgabe), name NACHNAME_Vor_JJJJMMTT (Geburtsdatum, wo die\n"
    "                      Datei es aus einem Kurs42-Import kennt)\n";

const char* const kTeachersUsage =
    "  teachers --db PFAD list [--json] | add KÜRZEL [NAME] | rename KÜRZEL NEU |\n"
    "           remove KÜRZEL | assign KURS KÜRZEL | unassign KURS\n"
    "      Die Lehrer mit ihren Kursen des Schuljahres, deren Stunden und Schienen,\n"
    "      wie sie das Fenster Bearbeiten/Lehrer zeigt.\n"
    "      list      ein Lehrer je Zeile: Kürzel, Name, Stunden, Kurse mit Stunden\n"
    "                und Schienen, Schienen mit mehreren seiner Kurse; zuletzt die\n"
    "                Kurse ohne Lehrer. --json mit den Feldern kuerzel, name, hours,\n"
    "                courses, rails, clashRails und coursesWithoutTeacher\n"
    "      add       ein neuer Lehrer (Kürzel höchstens 4, Name höchstens 30 Zeichen)\n"
    "      rename    gibt dem Lehrer ein neues Kürzel\n"
    "      remove    löscht einen Lehrer, der keinen Kurs des Schuljahres mehr\n"
    "                unterrichtet; Kurse früherer Schuljahre verlieren ihn\n"
    "      assign    gibt dem Kurs (seine Bezeichnung) den Lehrer\n"
    "      unassign  der Kurs hat danach keinen Lehrer\n";

// Every command; its usage is followed by an empty line.
const std::vector<cli::Command>& commands() {
    static const std::vector<cli::Command> all = {
        {"create", kCreateUsage, &cli::runCreate},
        {"import", kImportUsage, &cli::runImport},
        {"print rails", kPrintRailsUsage, &cli::runPrintRails, {}, true},
        {"print lists",
         kPrintListsUsage,
         &cli::runPrintLists,
         {QStringLiteral("--landscape")},
         true},
        {"export", kExportUsage, &cli::runExport},
        {"import-kurs42", kImportKurs42Usage, &cli::runImportKurs42},
        {"export-kurs42", kExportKurs42Usage, &cli::runExportKurs42},
        {"export-untis", kExportUntisUsage, &cli::runExportUntis},
        {"block", kBlockUsage, &cli::runBlock},
        {"evaluate", kEvaluateUsage, &cli::runEvaluate, {QStringLiteral("--json")}},
        {"propose", kProposeUsage, &cli::runPropose, {QStringLiteral("--json")}},
        {"rules", kRulesUsage, &cli::runRules, {}, false, true},
        {"variant", kVariantUsage, &cli::runVariant, {QStringLiteral("--json")}, false, true},
        {"teachers", kTeachersUsage, &cli::runTeachers, {QStringLiteral("--json")}, false, true},
    };
    return all;
}

QString usage() {
    QString u = QString::fromLatin1(kHead);
    for (const cli::Command& c : commands())
        u += QString::fromUtf8(c.usage) + QLatin1Char('\n');
    return u + QString::fromUtf8(kTail);
}

// The command the arguments name; its words are taken off the arguments.
const cli::Command* find(QStringList& args) {
    for (const cli::Command& c : commands()) {
        const QStringList words = QString::fromLatin1(c.name).split(QLatin1Char(' '));
        if (args.mid(0, words.size()) == words) {
            args.remove(0, words.size());
            return &c;
        }
    }
    return nullptr;
}

// The exit code of a run whose code was `code`: not 0 when the standard output did not take
// everything written to it, which is then said on stderr.
int finish(int code) {
    if (const std::optional<QString> failed = cli::outputFailure()) {
        cli::err() << "kubb: " << *failed << Qt::endl;
        return code == 0 ? 1 : code;
    }
    return code;
}

// Runs the command the arguments name; its exit code.
int run(const QString& given, const cli::Command* command, const QStringList& args) {
    try {
        if (given.isEmpty())
            throw cli::UsageError(QStringLiteral("kein Befehl angegeben"));
        if (!command)
            throw cli::UsageError(QStringLiteral("unbekannter Befehl: ") + given);
        return command->run(cli::Args(QString::fromLatin1(command->name), args, command->flags,
                                      command->positional));
    } catch (const cli::UsageError& e) {
        cli::err() << "kubb: " << QString::fromUtf8(e.what()) << "\n\n" << usage();
        return 2;
    } catch (const std::exception& e) {
        cli::err() << "kubb: " << QString::fromUtf8(e.what()) << Qt::endl;
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    db::Connection::setDefaultBusyTimeout(db::Connection::kSaveBusyTimeoutMs);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString given = args.value(0);
    const cli::Command* command = find(args);
    std::unique_ptr<QCoreApplication> app;
    if (command && command->paints) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        cli::out() << usage();
        return finish(0);
    }
    return finish(run(given, command, args));
}

// kubb refusing what it is given or what the file cannot give: the exit code (2 a misuse, 1 a
// fault) and the message exactly, nothing on stdout, and no file changed or written.
#include "KubbProcess.h"

#include <tuple>

TEST(Kubb, RefusesMisuseAndWhatTheFileCannotGiveInOneGermanLine) {
    test::School s;
    s.student(1, "Abel", "Anna");
    const QString db = s.path();
    const QString out = s.tmp.path("out.txt");
    test::TestDb withoutYear(s.tmp.path("OHNE.MDB"));
    withoutYear.insert("block", {{"BL_SCHJ", "     3"}, {"BL_BEZ", "S1"}, {"BL_VFP_ID", "     1"}});
    QDir().mkpath(s.tmp.path("merix"));
    const QByteArray before = s.tmp.read("BB.MDB");
    const QStringList block{"block", "--db", db, "--cohort", "2009"};
    const QString seconds = "--seconds braucht eine Zahl über 0";
    // clang-format off
    const std::tuple<QStringList, int, QString> rows[] = {
        {{"block", "--db", db, "--cohort", "20x9"}, 2, "--cohort braucht ein Jahr (YYYY)"},
        {block + QStringList{"--seconds", "0"}, 2, seconds},
        {block + QStringList{"--seconds", "zehn"}, 2, seconds},
        {block + QStringList{"--keep-variants", "101"}, 2, "--keep-variants braucht eine ganze Zahl von 0 bis 100"},
        {{"variant", "--db", db, "--cohort", "2009", "list", "--comment", "x"}, 2,
         "--comment gilt nur für save"},
        {{"export", "--db", db, "--cohort", "2007", "--to", s.tmp.path("merix")}, 1,
         "Der Kollegiatenjahrgang 2007 wird zum Schuljahr 2009/2010 nicht angeboten (angeboten: 2009)."},
        {block + QStringList{"--changes", s.tmp.path("FEHLT/x.txt")}, 1,
         s.tmp.path("FEHLT/x.txt") + ": Pfad nicht gefunden!"},
        {{"import-kurs42", "--from", s.tmp.dir(), "--output", db}, 1,
         "Die Datei " + db + " existiert bereits."},
        {{"export-kurs42", "--db", db, "--cohort", "1999", "--to", out}, 1,
         "Der Kollegiatenjahrgang 1999 ist im Schuljahr 2009/2010 weder in Jahrgangsstufe 12 noch in 13."},
        {{"print", "rails", "--db", db, "--text", out}, 1, "nichts gedruckt"},
        {{"print", "rails", "--db", withoutYear.path(), "--text", out}, 1,
         "Die Datenbank " + withoutYear.path() + " hat kein Schuljahr."}};
    // clang-format on
    for (const auto& [args, code, said] : rows) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const cli::Run run = cli::kubb(args);
        EXPECT_EQ(run.code, code);
        // A display's warning may come first; the message is said once.
        EXPECT_EQ(run.err.split('\n').filter(QRegularExpression("^kubb: ")),
                  QStringList{"kubb: " + said});
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(s.tmp.read("BB.MDB"), before);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(QDir(s.tmp.path("merix")).isEmpty());

    // Without a command the usage, its German words with their umlauts, not spelt around them.
    const cli::Run usage = cli::kubb({});
    EXPECT_EQ(usage.code, 2);
    EXPECT_EQ(usage.out, "");
    EXPECT_TRUE(usage.err.contains("Aufruf: kubb BEFEHL"));
    for (const QString word :
         {"Schülerzahlen", "höchstens", "Menüpunkt", "Rückgabewert", "größte"}) {
        EXPECT_TRUE(usage.err.contains(word)) << word.toStdString();
        const QString spelt =
            QString(word).replace("ü", "ue").replace("ö", "oe").replace("ß", "ss");
        EXPECT_FALSE(usage.err.contains(spelt)) << spelt.toStdString();
    }
}

// The block-formation file: its tables and what they refuse, transactions, the digest of rows,
// and the queries' year groups.
#include "db/Database.h"
#include "db/BlockDatabase.h"
#include "db/Queries.h"
#include "db/Schema.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// "FIELD=value;FIELD=value" as a row; values keep their blanks.
test::Row row(const QString& text) {
    test::Row r;
    for (const QString& pair : text.split(';', Qt::SkipEmptyParts))
        r.emplace_back(pair.section('=', 0, 0), pair.section('=', 1));
    return r;
}

struct Schema : ::testing::Test {
    test::TempDir tmp;
    test::TestDb db{tmp.path("BB.MDB")};
};

} // namespace

// The nine tables, empty, also once ckkurs is made again (its keys start again, its index
// holds); a file is never created over an existing one. The import's test reads every field of
// the other tables in order.
TEST_F(Schema, AFreshFileHoldsTheNineTablesEmptyAndIsNotCreatedOverAnother) {
    const test::Row placed = row("CK_BL_ID=     1;CK_KS_ID=     2");
    db.insert("ckkurs", placed);
    db::Connection c(db.path());
    db::recreateCkkurs(c);
    EXPECT_EQ(db.rows("SELECT m.name, (SELECT count(*) FROM pragma_table_info(m.name)) FROM "
                      "sqlite_master m WHERE type = 'table' AND name <> 'sqlite_sequence' ORDER BY "
                      "rowid"),
              (QStringList{"belegung|8", "block|8", "fachang|11", "kolleg|6", "kurs|17",
                           "schjahr|5", "schule|5", "lehrer|4", "ckkurs|5"}));
    EXPECT_EQ(db.rows("SELECT group_concat(name || ' ' || type) FROM pragma_table_info('block')"),
              QStringList{"BL_ID INTEGER,BL_SCHJ TEXT,BL_BEZ TEXT,BL_NAME TEXT,BL_SORT INTEGER,"
                          "BL_STD INTEGER,BL_VFP_ID TEXT,BL_FIX TEXT"});
    for (const char* t : {"belegung", "block", "ckkurs", "fachang", "kolleg", "kurs", "schjahr",
                          "schule", "lehrer"})
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM ") + t).toInt(), 0) << t;
    EXPECT_EQ(db.scalar("PRAGMA user_version").toInt(), db::kSchemaVersion);
    EXPECT_EQ(c.insert("ckkurs", placed), 1);
    EXPECT_THROW(c.insert("ckkurs", placed), db::DbError);

    tmp.write("OLD.MDB", "keep me");
    EXPECT_THROW(db::createDatabase(tmp.path("OLD.MDB")), db::DbError);
    EXPECT_EQ(tmp.read("OLD.MDB"), QByteArray("keep me"));
}

// Two rows of a table and whether the second is refused: each unique index alone (every other
// unique field differs), designations and teacher codes ignoring case.
TEST_F(Schema, EveryUniqueIndexRejectsADuplicate) {
    const struct {
        const char* table;
        QString first, second;
        bool refused;
    } cases[] = {
        {"belegung", "BG_ART=L;BG_VFP_ID=     1", "", true},
        {"block", "BL_SCHJ=     1;BL_BEZ=S1;BL_VFP_ID=     9", "", true},
        {"ckkurs", "CK_BL_ID=     1;CK_KS_ID=    12", "", true},
        {"fachang", "FA_VFP_ID=     3", "", true},
        {"kolleg", "KO_VFP_ID=     4", "", true},
        {"kurs", "KS_VFP_ID=     5", "", true},
        {"lehrer", "LE_KUERZ=Ab;LE_VFP_ID=     6", "", true},
        {"block", "BL_SCHJ=     1;BL_BEZ=S1;BL_VFP_ID=     1", "BL_SCHJ=     2;BL_VFP_ID=     2",
         false},
        {"block", "BL_SCHJ=     1;BL_BEZ=S1;BL_VFP_ID=     1", "BL_BEZ=s1;BL_VFP_ID=     3", true},
        {"lehrer", "LE_KUERZ=Xy;LE_VFP_ID=     1", "LE_KUERZ=XY;LE_VFP_ID=     2", true},
        // Two students of the same name.
        {"kolleg", "KO_FAMNAME=Müller;KO_RUFNAME=Anna;KO_VFP_ID=     1", "KO_VFP_ID=     2", false},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.table + (" " + t.second).toStdString());
        db.scalar(QStringLiteral("DELETE FROM ") + t.table);
        db.insert(t.table, row(t.first));
        try {
            db.insert(t.table, test::merged(row(t.first), row(t.second)));
            EXPECT_FALSE(t.refused);
        } catch (const db::DbError& e) {
            EXPECT_TRUE(t.refused) << e.what();
            EXPECT_EQ(e.kind(), db::DbError::Kind::Constraint) << e.what();
        }
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM ") + t.table).toInt(),
                  t.refused ? 1 : 2);
    }
}

// Text longer than its field and numbers out of range are refused, not cut; 30 umlauts fit
// (characters, not bytes). NULL stays distinct from "", keys keep their blanks. Names sort
// German, ignoring case.
TEST_F(Schema, ValuesAreStoredAsGivenOrRefusedAndNamesSortGerman) {
    try {
        db.insert("kolleg", {{"KO_FAMNAME", QString(31, 'x')}});
        ADD_FAILURE() << "31 characters accepted";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.kind(), db::DbError::Kind::TooLong);
        EXPECT_EQ(e.message(), "Der Text \"" + QString(31, 'x') +
                                   "\" ist für das Feld KO_FAMNAME der Tabelle kolleg zu lang "
                                   "(höchstens 30 Zeichen).");
    }
    EXPECT_THROW(db.insert("block", {{"BL_STD", 256}}), db::DbError);
    EXPECT_THROW(db.insert("kurs", {{"KS_SORT", 40000}}), db::DbError);
    // The file itself refuses what a writer without our checks would store.
    EXPECT_THROW(db::Connection(db.path()).exec("INSERT INTO belegung (BG_ART) VALUES ('LL')"),
                 db::DbError);
    db.insert("belegung", {{"BG_KS_ID_13", ""}, {"BG_VFP_ID", "     7"}});
    for (const char* n : {"Zander", "müller", "Mueller", "Muller", "Abel", "Özdemir", "Ostermann",
                          "MÜLLER", "üüüüüüüüüüüüüüüüüüüüüüüüüüüüüü"})
        db.insert("kolleg", {{"KO_FAMNAME", QString::fromUtf8(n)}});
    EXPECT_EQ(
        db.rows(
            "SELECT BG_KS_ID_12 IS NULL, BG_KS_ID_13 = '', BG_VFP_ID FROM belegung "
            "UNION ALL SELECT (SELECT count(*) FROM block) + (SELECT count(*) FROM kurs), 0, 0"),
        (QStringList{"1|1|     7", "0|0|0"}));
    EXPECT_EQ(db.rows("SELECT KO_FAMNAME FROM kolleg ORDER BY KO_FAMNAME COLLATE DEUTSCH, KO_ID"),
              (QStringList{"Abel", "Mueller", "Muller", "müller", "MÜLLER", "Ostermann", "Özdemir",
                           "üüüüüüüüüüüüüüüüüüüüüüüüüüüüüü", "Zander"}));
}

// An inner transaction is a savepoint: its commit keeps its rows for the outer one, its
// rollback drops only them, and a failing outer one takes the committed inner ones with it.
TEST_F(Schema, InnerTransactionsAreSavepointsOfTheOuterOne) {
    db::Connection c(db.path());
    for (const QString kept : {"A", "B"}) {
        db::Transaction outer(c);
        c.insert("lehrer", {{"LE_KUERZ", kept + "1"}});
        {
            db::Transaction inner(c);
            c.insert("lehrer", {{"LE_KUERZ", kept + "2"}});
            inner.commit();
        }
        {
            db::Transaction dropped(c);
            c.insert("lehrer", {{"LE_KUERZ", kept + "3"}});
        }
        EXPECT_EQ(test::rowsOf(db.path(), "SELECT count(*) FROM lehrer"),
                  QStringList{kept == "A" ? "0" : "2"})
            << "nothing is visible outside before the outer commit";
        if (kept == "A")
            outer.commit();
    }
    EXPECT_EQ(db.rows("SELECT LE_KUERZ FROM lehrer ORDER BY LE_ID"), (QStringList{"A1", "A2"}));
}

// What the digest of the rows tells apart: another program's change must show, whatever it is.
TEST_F(Schema, TheDigestOfRowsSeesEveryChangeAndNoneWhereThereIsNone) {
    db::Connection c(db.path());
    c.exec("CREATE TABLE t (a, b)");
    const auto digestOf = [&](const QString& rows) {
        c.exec("DELETE FROM t");
        if (!rows.isEmpty())
            c.exec("INSERT INTO t VALUES " + rows);
        return c.digest("SELECT a, b FROM t ORDER BY rowid");
    };
    const QByteArray plain = digestOf("('ab', 'c'), (1, NULL)");
    EXPECT_EQ(digestOf("('ab', 'c'), (1, NULL)"), plain);
    EXPECT_EQ(digestOf("('ab', 'c'), ('1', NULL)"), plain) << "the text the fields show";
    for (const QString other :
         {"('ab', 'c'), (1, '')", "('a', 'bc'), (1, NULL)", "('ab', 'c'), (2, NULL)", "('ab', 'c')",
          "('ab', 'c'), (1, NULL), (NULL, NULL)", "(1, NULL), ('ab', 'c')",
          "('ab', 'c '), (1, NULL)", ""}) {
        SCOPED_TRACE(other.toStdString());
        EXPECT_NE(digestOf(other), plain);
    }
    // A query the engine refuses fails as every other statement does.
    try {
        c.digest("SELECT * FROM fehlt");
        ADD_FAILURE() << "no error";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.kind(), db::DbError::Kind::MissingTable);
    }
}

// The cohort of the school year's start year is in year group 12 and has its courses in one
// field of belegung, the cohort before in 13 with the other; no other cohort has a course field.
TEST(Queries, CohortGivesYearGroupAndCourseField) {
    const struct {
        const char* cohort;
        const char* schjBez;
        int group;
        const char* field;
    } cases[] = {
        {"2009", "2009/2010", 12, "BG_KS_ID_12"}, {"2008", "2009/2010", 13, "BG_KS_ID_13"},
        {"2010", "2009/2010", 0, nullptr},        {"2007", "2009/2010", 0, nullptr},
        {"2000", "2000/2001", 12, "BG_KS_ID_12"}, {"1999", "2000/2001", 13, "BG_KS_ID_13"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cohort) + " in " + c.schjBez);
        EXPECT_EQ(db::yearGroup(QString::fromLatin1(c.cohort), c.schjBez), c.group);
        EXPECT_EQ(db::yearGroup(QString::fromLatin1(c.cohort).toInt(), c.schjBez), c.group);
        if (c.field)
            EXPECT_EQ(db::courseField(c.group), QString::fromLatin1(c.field));
        else
            EXPECT_THROW(db::courseField(c.group), std::invalid_argument);
    }
    EXPECT_EQ(db::startYear(""), 0);
}

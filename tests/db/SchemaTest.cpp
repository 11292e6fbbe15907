#include "db/Schema.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

using test::TempDir;
using test::TestDb;

namespace {

QStringList fieldsOf(TestDb& db, const QString& table) {
    return db.rows("SELECT name, type FROM pragma_table_info(?) ORDER BY cid", {table});
}

} // namespace

TEST(Schema, FreshFileHoldsTheNineTablesEmptyWithTheirFieldsInOrder) {
    TempDir tmp;
    TestDb db(tmp.path("BB.MDB"));
    const QStringList tables =
        db.rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name <> "
                               "'sqlite_sequence' ORDER BY rowid"));
    EXPECT_EQ(tables, (QStringList{"belegung", "block", "ckkurs", "fachang", "kolleg", "kurs",
                                   "schjahr", "schule", "lehrer"}));
    for (const QString& t : tables)
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM ") + t).toInt(), 0)
            << t.toStdString();

    EXPECT_EQ(fieldsOf(db, "belegung"),
              (QStringList{"BG_ID|INTEGER", "BG_KO_ID|TEXT", "BG_KS_ID_12|TEXT", "BG_KS_ID_13|TEXT",
                           "BG_FA_ID|TEXT", "BG_ART|TEXT", "BG_VFP_ID|TEXT", "BG_FIX|TEXT"}));
    EXPECT_EQ(fieldsOf(db, "block"),
              (QStringList{"BL_ID|INTEGER", "BL_SCHJ|TEXT", "BL_BEZ|TEXT", "BL_NAME|TEXT",
                           "BL_SORT|INTEGER", "BL_STD|INTEGER", "BL_VFP_ID|TEXT", "BL_FIX|TEXT"}));
    EXPECT_EQ(fieldsOf(db, "kurs").size(), 17);
    EXPECT_EQ(fieldsOf(db, "kurs").at(16), "KS_OPT|INTEGER");
    EXPECT_EQ(fieldsOf(db, "fachang").at(10), "FA_MERK1|TEXT");
    EXPECT_EQ(fieldsOf(db, "schule"),
              (QStringList{"SH_ID|INTEGER", "SH_NUMMER|TEXT", "SH_AMTLBEZ1|TEXT",
                           "SH_AMTLBEZ2|TEXT", "SH_KURZBEZ|TEXT"}));
    EXPECT_EQ(db.scalar("PRAGMA user_version").toInt(), db::kSchemaVersion);
}

TEST(Schema, EveryUniqueIndexRejectsADuplicate) {
    // Two rows of a table and whether the second is refused: each unique index alone (every
    // other unique field differs), designations and teacher codes ignoring case.
    const struct {
        const char* table;
        test::Row first, second;
        bool refused;
    } cases[] = {
        {"belegung", {{"BG_ART", "L"}, {"BG_VFP_ID", "     1"}}, {}, true},
        {"block", {{"BL_SCHJ", "     1"}, {"BL_BEZ", "S1"}, {"BL_VFP_ID", "     9"}}, {}, true},
        {"ckkurs", {{"CK_BL_ID", "     1"}, {"CK_KS_ID", "    12"}}, {}, true},
        {"fachang", {{"FA_VFP_ID", "     3"}}, {}, true},
        {"kolleg", {{"KO_VFP_ID", "     4"}}, {}, true},
        {"kurs", {{"KS_VFP_ID", "     5"}}, {}, true},
        {"lehrer", {{"LE_KUERZ", "Ab"}, {"LE_VFP_ID", "     6"}}, {}, true},
        {"block",
         {{"BL_SCHJ", "     1"}, {"BL_BEZ", "S1"}, {"BL_VFP_ID", "     1"}},
         {{"BL_SCHJ", "     2"}, {"BL_VFP_ID", "     2"}},
         false},
        {"block",
         {{"BL_SCHJ", "     1"}, {"BL_BEZ", "S1"}, {"BL_VFP_ID", "     1"}},
         {{"BL_BEZ", "s1"}, {"BL_VFP_ID", "     3"}},
         true},
        {"lehrer",
         {{"LE_KUERZ", "Xy"}, {"LE_VFP_ID", "     1"}},
         {{"LE_KUERZ", "XY"}, {"LE_VFP_ID", "     2"}},
         true},
        // Two students of the same name.
        {"kolleg",
         {{"KO_FAMNAME", "Müller"}, {"KO_RUFNAME", "Anna"}, {"KO_VFP_ID", "     1"}},
         {{"KO_VFP_ID", "     2"}},
         false},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.table);
        TempDir tmp;
        TestDb db(tmp.path("BB.MDB"));
        db.insert(t.table, t.first);
        try {
            db.insert(t.table, test::merged(t.first, t.second));
            EXPECT_FALSE(t.refused);
        } catch (const db::DbError& e) {
            EXPECT_TRUE(t.refused) << e.what();
            EXPECT_EQ(e.kind(), db::DbError::Kind::Constraint) << e.what();
        }
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM ") + t.table).toInt(),
                  t.refused ? 1 : 2);
    }
}

TEST(Schema, OverlongTextAndOutOfRangeNumbersAreRefusedNotCut) {
    TempDir tmp;
    TestDb db(tmp.path("BB.MDB"));
    try {
        db.insert("kolleg", {{"KO_FAMNAME", QString(31, 'x')}});
        ADD_FAILURE() << "31 characters accepted";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.kind(), db::DbError::Kind::TooLong);
        EXPECT_TRUE(e.message().contains("KO_FAMNAME")) << e.what();
        EXPECT_TRUE(e.message().contains("30 Zeichen")) << e.what();
    }
    db.insert("kolleg", {{"KO_FAMNAME",
                          QString(30, QChar(0x00FC))}}); // 30 umlauts fit: characters, not bytes
    EXPECT_THROW(db.insert("block", {{"BL_STD", 256}}), db::DbError);
    EXPECT_THROW(db.insert("kurs", {{"KS_SORT", 40000}}), db::DbError);
    // The file itself refuses what a writer without our checks would store.
    db::Connection c(db.path());
    EXPECT_THROW(c.exec("INSERT INTO belegung (BG_ART) VALUES ('LL')"), db::DbError);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM belegung").toInt(), 0);
}

TEST(Schema, NullStaysDistinctFromEmptyTextAndKeysKeepTheirBlanks) {
    TempDir tmp;
    TestDb db(tmp.path("BB.MDB"));
    db.insert("belegung",
              {{"BG_KS_ID_12", QVariant()}, {"BG_KS_ID_13", ""}, {"BG_VFP_ID", "     7"}});
    EXPECT_EQ(db.rows("SELECT BG_KS_ID_12, BG_KS_ID_13, BG_VFP_ID FROM belegung"),
              QStringList{"<null>||     7"});
    EXPECT_EQ(db.scalar("SELECT count(*) FROM belegung WHERE BG_KS_ID_12 IS NULL").toInt(), 1);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM belegung WHERE BG_KS_ID_13 = ''").toInt(), 1);
}

TEST(Schema, NamesOrderGermanIgnoringCase) {
    TempDir tmp;
    TestDb db(tmp.path("BB.MDB"));
    for (const char* n :
         {"Zander", "müller", "Mueller", "Muller", "Abel", "Özdemir", "Ostermann", "MÜLLER"})
        db.insert("kolleg", {{"KO_FAMNAME", QString::fromUtf8(n)}});
    const QStringList order =
        db.rows("SELECT KO_FAMNAME FROM kolleg ORDER BY KO_FAMNAME COLLATE DEUTSCH, KO_ID");
    EXPECT_EQ(order, (QStringList{"Abel", "Mueller", "Muller", "müller", "MÜLLER", "Ostermann",
                                  "Özdemir", "Zander"}));
}

TEST(Schema, CreatingOverAnExistingFileIsRefused) {
    TempDir tmp;
    tmp.write("BB.MDB", "keep me");
    EXPECT_THROW(db::createDatabase(tmp.path("BB.MDB")), db::DbError);
    EXPECT_EQ(tmp.read("BB.MDB"), QByteArray("keep me"));
}

TEST(Schema, RecreatedCkkursIsEmptyWithItsIndexesAndKeysStartAgain) {
    TempDir tmp;
    TestDb db(tmp.path("BB.MDB"));
    db.insert("ckkurs", {{"CK_BL_ID", "     1"}, {"CK_KS_ID", "     2"}});
    db.insert("ckkurs", {{"CK_BL_ID", "     1"}, {"CK_KS_ID", "     3"}});
    {
        db::Connection c(db.path());
        db::Transaction tx(c);
        db::recreateCkkurs(c);
        tx.commit();
    }
    EXPECT_EQ(db.scalar("SELECT count(*) FROM ckkurs").toInt(), 0);
    EXPECT_EQ(db.insert("ckkurs", {{"CK_BL_ID", "     1"}, {"CK_KS_ID", "     2"}}), 1);
    EXPECT_THROW(db.insert("ckkurs", {{"CK_BL_ID", "     1"}, {"CK_KS_ID", "     2"}}),
                 db::DbError);
}

TEST(Schema, InnerTransactionsAreSavepointsOfTheOuterOne) {
    TempDir tmp;
    TestDb db(tmp.path("BB.MDB"));
    {
        db::Connection c(db.path());
        db::Transaction outer(c);
        c.insert("lehrer", {{"LE_KUERZ", "A"}});
        {
            db::Transaction kept(c);
            c.insert("lehrer", {{"LE_KUERZ", "B"}});
            kept.commit();
        }
        {
            db::Transaction dropped(c);
            c.insert("lehrer", {{"LE_KUERZ", "C"}});
        }
        EXPECT_EQ(test::rowsOf(db.path(), "SELECT count(*) FROM lehrer"), QStringList{"0"})
            << "nothing is visible outside before the outer commit";
        outer.commit();
    }
    EXPECT_EQ(db.rows("SELECT LE_KUERZ FROM lehrer ORDER BY LE_ID"), (QStringList{"A", "B"}));
    {
        db::Connection c(db.path());
        db::Transaction outer(c);
        {
            db::Transaction inner(c);
            c.insert("lehrer", {{"LE_KUERZ", "D"}});
            inner.commit();
        }
        // The outer one fails: the committed inner one goes with it.
    }
    EXPECT_EQ(db.scalar("SELECT count(*) FROM lehrer").toInt(), 2);
}

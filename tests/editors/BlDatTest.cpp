#include "editors/BlDat.h"

#include "db/Database.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>
#include <tuple>

// The rail editor through its handlers, on a real file: rails of two school years, rows built
// one by one; keys typed as the view forwards them.

namespace {

using editors::BlDat;
using Key = BlDat::KeyDecision;

const QString kYear = QStringLiteral("     9");
const QString kNext = QStringLiteral("    10");
const QString kHours = QStringLiteral("Nur Zahlen zwischen 0 und 6");
const QString kTaken = QStringLiteral("Blockname bereits vorhanden!");
const QString kLocked =
    QStringLiteral("Block enthält bereits Kurse!\r\nÄnderungen nicht mehr möglich!");

class BlDatTest : public ::testing::Test {
protected:
    test::TempDir tmp;
    test::TestDb db{tmp.path("BB.MDB")};
    platform::RunState s;
    test::ScriptedHost host;
    std::unique_ptr<BlDat> w;
    QStringList focus;

    void SetUp() override {
        db.schoolYear("2009/2010", kYear);
        db.schoolYear("2010/2011", kNext);
        db.useIn(s, "2009/2010", kYear);
    }
    void rail(int id, const QString& bez, const QVariant& name = {}, const QVariant& hours = {},
              const QString& year = kYear) {
        db.insert("block", {{"BL_ID", id},
                            {"BL_SCHJ", year},
                            {"BL_BEZ", bez},
                            {"BL_NAME", name},
                            {"BL_SORT", id * 10},
                            {"BL_STD", hours},
                            {"BL_VFP_ID", db::sixKey(id)},
                            {"BL_FIX", "0"}});
    }
    BlDat& open() {
        w = std::make_unique<BlDat>(s, host);
        QObject::connect(w.get(), &BlDat::focusRequested,
                         [this](const QString& control) { focus << control; });
        w->Form_Load();
        return *w;
    }
    // A key at the end of the field, as the field does with what the filter decides.
    Key key(int index, QChar k) {
        QString& text = w->cFieldData[static_cast<size_t>(index)];
        BlDat::TextCursor cursor{static_cast<int>(text.size()), -1, 0};
        const Key d = w->cFieldData_KeyPress(index, k, cursor);
        if (d == Key::Accept)
            w->cFieldData_Change(index, text + k);
        return d;
    }
    void type(int index, const QString& text) {
        for (QChar ch : text)
            EXPECT_EQ(key(index, ch), Key::Accept) << ch.toLatin1();
    }
    void select(int line) {
        w->lstBlock.setCurrent(line);
        w->lstBlock_Click();
    }
    QStringList fields() const { return {w->cFieldData[2], w->cFieldData[3], w->cFieldData[4]}; }
    bool enabled(const char* name) const { return w->command(name)->enabled; }
    QStringList rails() {
        return db.rows("SELECT BL_ID, BL_SCHJ, BL_BEZ, BL_NAME, BL_SORT, BL_STD, BL_VFP_ID, BL_FIX "
                       "FROM block ORDER BY BL_ID");
    }
};

} // namespace

TEST_F(BlDatTest, ListsTheRailsOfEverySchoolYearAndShowsTheFirst) {
    rail(1, "LK1", "Leistungskurse 1", 6);
    rail(2, "GK1", {}, {}, kNext);
    db.useIn(s, "2010/2011", kNext);
    open();
    EXPECT_EQ(w->caption(), "Tabelle: block");
    EXPECT_EQ(w->lstBlock.lines(), (QStringList{"LK1          1", "GK1          2"}));
    EXPECT_EQ(w->CombSJ.lines(), (QStringList{"2009/2010          9", "2010/2011         10"}));
    EXPECT_EQ(w->CombSJ.currentIndex(), 1) << "the line of the current school year";
    EXPECT_EQ(w->lstBlock.currentIndex(), 0);
    EXPECT_EQ(w->listPosition(), 1);
    EXPECT_EQ(fields(), (QStringList{"LK1", "Leistungskurse 1", "6"}));
    EXPECT_TRUE(w->editing());
    EXPECT_TRUE(enabled("NewButton") && enabled("deleteButton") && enabled("CloseButton"));
    EXPECT_FALSE(enabled("UpdateButton") || enabled("CancelButton"));
    select(1);
    EXPECT_EQ(fields(), (QStringList{"GK1", "", ""}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(BlDatTest, WithoutSchoolYearsTheWindowStaysEmptyAndWithoutRailsItAdds) {
    db.scalar("DELETE FROM schjahr");
    rail(1, "LK1");
    host.onMessage("Blockbildungsdateien enthalten noch keine Daten!");
    open();
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Exclamation);
    EXPECT_EQ(w->lstBlock.count(), 0);
    EXPECT_EQ(key(2, 'A'), Key::Refuse) << "neither browsing nor adding";
    EXPECT_EQ(fields(), (QStringList{"", "", ""}));

    db.schoolYear("2009/2010", kYear);
    db.scalar("DELETE FROM block");
    open();
    EXPECT_TRUE(w->adding());
    EXPECT_FALSE(w->editing());
    EXPECT_FALSE(w->lstBlockEnabled);
    EXPECT_FALSE(enabled("NewButton") || enabled("deleteButton") || enabled("CloseButton"));
    EXPECT_TRUE(enabled("UpdateButton") && enabled("CancelButton"));
    EXPECT_EQ(focus.last(), "cFieldData(2)");
}

TEST_F(BlDatTest, RailWithCoursesTakesNoKeyAndCannotBeDeleted) {
    rail(1, "LK1", "Leistungskurse 1", 6);
    rail(2, "LK2");
    db.insert("ckkurs", {{"CK_BL_ID", db::sixKey(1)}, {"CK_KS_ID", "KS0001"}});
    open();
    const std::pair<int, QChar> keys[] = {
        {2, 'X'},           {3, 'a'}, {4, '5'}, {2, BlDat::kEnter}, {3, BlDat::kBackspace},
        {4, BlDat::kDelete}};
    for (const auto& [index, k] : keys) {
        host.onMessage(kLocked);
        EXPECT_EQ(key(index, k), Key::Refuse);
        EXPECT_EQ(host.messages.back().icon, ui::Icon::Critical);
        EXPECT_EQ(host.messages.back().title, "Block");
    }
    EXPECT_EQ(fields(), (QStringList{"LK1", "Leistungskurse 1", "6"}));

    host.onMessage("Block enthält bereits Kurse!\r\nLöschen nicht mehr möglich!");
    w->click("deleteButton");
    EXPECT_EQ(db.scalar("SELECT count(*) FROM block").toInt(), 2);
    EXPECT_EQ(w->lstBlock.count(), 2);

    select(1);
    EXPECT_EQ(key(2, 'X'), Key::Accept) << "a rail without courses takes keys";
}

TEST_F(BlDatTest, HoursTakeTheDigitsUpToSixAndAreCheckedWhenWritten) {
    rail(1, "LK1", {}, 6);
    rail(2, "LK2", {}, 6);
    open();
    for (QChar k : {QChar('7'), QChar('8'), QChar('9'), QChar('x')}) {
        host.onMessage(kHours);
        EXPECT_EQ(key(4, k), Key::Refuse) << k.toLatin1();
        EXPECT_EQ(host.messages.back().icon, ui::Icon::Exclamation);
        EXPECT_TRUE(host.messages.back().title.isEmpty());
    }
    EXPECT_EQ(key(4, BlDat::kBackspace), Key::Edited);
    type(4, "66");
    EXPECT_EQ(w->cFieldData[4], "66") << "accepted key by key";

    // 66 hours would not fit the placement's one-digit hours: not written, the rail stays.
    host.onMessage(kHours);
    select(1);
    EXPECT_EQ(w->lstBlock.currentIndex(), 0);
    EXPECT_EQ(w->listPosition(), 1);
    EXPECT_EQ(db.scalar("SELECT BL_STD FROM block WHERE BL_ID = 1").toInt(), 6);

    key(4, BlDat::kBackspace);
    key(4, BlDat::kBackspace);
    type(4, "0");
    select(1);
    EXPECT_EQ(db.scalar("SELECT BL_STD FROM block WHERE BL_ID = 1").toInt(), 0);
    EXPECT_EQ(fields(), (QStringList{"LK2", "", "6"}));
}

TEST_F(BlDatTest, TextFieldsRefuseTheKeyThatWouldPassTheirSizeAndEnterMovesOn) {
    open(); // no rail: adding
    type(2, "ABCDEF");
    host.onMessage("String zu lang!");
    EXPECT_EQ(key(2, 'G'), Key::Refuse) << "BL_BEZ holds 6 characters";
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Exclamation);
    EXPECT_TRUE(host.messages.back().title.isEmpty());

    BlDat::TextCursor selection{3, 2, 1};
    EXPECT_EQ(w->cFieldData_KeyPress(2, 'x', selection), Key::Accept)
        << "a typed key replacing a selected one does not lengthen the text";
    BlDat::TextCursor end{6, -1, 0};
    EXPECT_EQ(w->cFieldData_KeyPress(2, BlDat::kBackspace, end), Key::Edited);
    EXPECT_EQ(w->cFieldData[2], "ABCDE");
    EXPECT_EQ(end.position, 5);
    BlDat::TextCursor start{0, -1, 0};
    EXPECT_EQ(w->cFieldData_KeyPress(2, BlDat::kDelete, start), Key::Edited);
    EXPECT_EQ(w->cFieldData[2], "BCDE");
    BlDat::TextCursor middle{1, 1, 2};
    EXPECT_EQ(w->cFieldData_KeyPress(2, BlDat::kBackspace, middle), Key::Edited);
    EXPECT_EQ(w->cFieldData[2], "BE");

    type(3, QString(30, 'n'));
    host.onMessage("String zu lang!");
    EXPECT_EQ(key(3, 'n'), Key::Refuse) << "BL_NAME holds 30";

    focus.clear();
    EXPECT_EQ(key(2, BlDat::kEnter), Key::NextField);
    EXPECT_EQ(key(3, BlDat::kEnter), Key::NextField);
    EXPECT_EQ(key(4, BlDat::kEnter), Key::NextField);
    EXPECT_EQ(focus, (QStringList{"cFieldData(3)", "cFieldData(4)", "UpdateButton"}));
    EXPECT_EQ(host.beeps, 2);
}

TEST_F(BlDatTest, NewRailIsCheckedAndSavedWithTheChosenSchoolYear) {
    rail(1, "S1", "Schiene 1", 3);
    rail(2, "GK1");
    open();
    w->click("NewButton");
    EXPECT_TRUE(w->adding());
    EXPECT_EQ(fields(), (QStringList{"", "", ""}));
    host.onMessage("Datensatz leer!");
    type(2, "  ");
    w->click("UpdateButton");
    EXPECT_EQ(host.messages.back().title, "Block");
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Critical);

    // "s1" is the designation of rail 1 in this school year, whatever its case and blanks.
    key(2, BlDat::kBackspace);
    key(2, BlDat::kBackspace);
    type(2, "s1 ");
    type(3, "Neue Schiene");
    type(4, "3");
    host.onMessage(kTaken);
    w->click("UpdateButton");
    EXPECT_EQ(host.messages.back().title, "Kurs- und Blockbildung");
    EXPECT_EQ(rails().size(), 2);

    w->CombSJ.setCurrent(1);
    w->click("UpdateButton");
    EXPECT_EQ(rails().last(), "3|    10|s1 |Neue Schiene|21|3|     3|0");
    EXPECT_EQ(w->lstBlock.lines().last(), "s1           3");
    EXPECT_EQ(w->lstBlock.currentIndex(), 2);
    EXPECT_EQ(w->listPosition(), 3);
    EXPECT_TRUE(w->editing());
    EXPECT_FALSE(w->adding());
    EXPECT_TRUE(enabled("NewButton") && !enabled("UpdateButton") && w->lstBlockEnabled);

    // A second rail "S1" of the same year is caught by the check, not by the unique index.
    w->click("NewButton");
    type(2, "S1");
    w->CombSJ.setCurrent(1);
    host.onMessage(kTaken);
    w->click("UpdateButton");
    EXPECT_EQ(rails().size(), 3);
}

TEST_F(BlDatTest, RailRenamedToAnotherRailsDesignationIsNotWritten) {
    rail(1, "S1");
    rail(2, "S2");
    rail(3, "S1", {}, {}, kNext);
    open();
    w->cFieldData_LostFocus(2);
    EXPECT_TRUE(host.messages.empty()) << "an unchanged designation";

    w->cFieldData_Change(2, "s2");
    host.onMessage(kTaken);
    focus.clear();
    w->cFieldData_LostFocus(2);
    EXPECT_EQ(focus, QStringList{"cFieldData(2)"});

    select(2);
    EXPECT_EQ(host.messages.size(), 1u) << "the focus check has just said so";
    EXPECT_EQ(w->lstBlock.currentIndex(), 0);
    host.onMessage(kTaken);
    select(2);
    EXPECT_EQ(w->lstBlock.currentIndex(), 0);
    EXPECT_EQ(db.scalar("SELECT BL_BEZ FROM block WHERE BL_ID = 1").toString(), "S1");

    w->cFieldData_Change(2, "s1"); // its own designation in other letters
    w->cFieldData_LostFocus(2);
    select(2);
    EXPECT_EQ(db.scalar("SELECT BL_BEZ FROM block WHERE BL_ID = 1").toString(), "s1");
    EXPECT_EQ(fields().first(), "S1") << "rail 3, of the other school year";
    EXPECT_EQ(w->lstBlock.lines(),
              (QStringList{"s1          1", "S2          2", "S1          3"}));
}

TEST_F(BlDatTest, ChangesAreWrittenOnAnotherLineOnNewAndOnClosing) {
    rail(1, "LK1", "alt", 6);
    rail(2, "LK2");
    open();
    w->cFieldData_Change(3, "neu");
    select(1);
    w->cFieldData_Change(4, "2");
    w->click("NewButton");
    EXPECT_EQ(rails(),
              (QStringList{"1|     9|LK1|neu|10|6|     1|0", "2|     9|LK2|<null>|20|2|     2|0"}))
        << "only the changed fields are written; the untouched name stays NULL";

    w->click("CancelButton");
    EXPECT_EQ(fields(), (QStringList{"LK2", "", "2"}));
    EXPECT_TRUE(w->editing());
    EXPECT_FALSE(w->adding());
    w->cFieldData_Change(3, "Schiene 2");
    host.status = "alt";
    w->click("CloseButton");
    EXPECT_TRUE(w->unloaded());
    EXPECT_EQ(host.status, "");
    EXPECT_EQ(db.scalar("SELECT BL_NAME FROM block WHERE BL_ID = 2").toString(), "Schiene 2");
}

TEST_F(BlDatTest, DeletingShowsTheRailAtTheSamePlaceAndTheLastOneLeavesAddingMode) {
    rail(1, "LK1");
    rail(2, "LK2");
    rail(3, "LK3");
    open();
    select(1);
    w->click("deleteButton");
    EXPECT_EQ(w->lstBlock.lines(), (QStringList{"LK1          1", "LK3          3"}));
    EXPECT_EQ(w->lstBlock.currentIndex(), 1);
    EXPECT_EQ(fields().first(), "LK3");
    w->click("deleteButton");
    EXPECT_EQ(w->lstBlock.currentIndex(), 0) << "the last line when none follows";
    EXPECT_EQ(fields().first(), "LK1");
    w->click("deleteButton");
    EXPECT_EQ(db.scalar("SELECT count(*) FROM block").toInt(), 0);
    EXPECT_TRUE(w->adding());
    EXPECT_TRUE(enabled("UpdateButton"));

    w->click("CancelButton");
    EXPECT_FALSE(w->adding() || w->editing());
    EXPECT_TRUE(enabled("NewButton"));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(BlDatTest, AFailedWriteIsShownWithTheNumberOfItsKindAndKeepsTheRail) {
    rail(1, "LK1");
    rail(2, "LK2");
    open();
    db.scalar("CREATE TRIGGER refuse BEFORE UPDATE ON block BEGIN SELECT RAISE(ABORT, 'nein'); "
              "END");
    w->cFieldData_Change(3, "Schiene 1");
    host.onMessage(ui::Answer::Ok);
    select(1);
    // A trigger's refusal is a broken rule of the file.
    EXPECT_TRUE(host.messages.back().text.startsWith("Folgender Error trat auf:\r\nNumber: 4\r\n"))
        << host.messages.back().text.toStdString();
    EXPECT_TRUE(host.messages.back().text.endsWith("nein"));
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(w->lstBlock.currentIndex(), 0);
    EXPECT_TRUE(db.scalar("SELECT BL_NAME FROM block WHERE BL_ID = 1").isNull());

    db.scalar("DROP TABLE ckkurs");
    host.onMessage(ui::Answer::Ok);
    w->click("deleteButton");
    EXPECT_TRUE(host.messages.back().text.startsWith("Folgender Error trat auf:\r\nNumber: 3\r\n"));
}

TEST_F(BlDatTest, EveryChangeOfAFieldPassesTheKeyFiltersChecks) {
    rail(1, "LK1", "Leistungskurse 1", 6);
    rail(2, "LK2");
    db.insert("ckkurs", {{"CK_BL_ID", db::sixKey(1)}, {"CK_KS_ID", "KS0001"}});
    open();
    host.onMessage(kLocked);
    EXPECT_FALSE(w->cFieldData_Change(2, "")) << "a rail with courses: Ctrl+K as a key";
    select(1);
    // Text, its message (none: a beep alone), beeps; the export's code page is Windows-1252.
    const std::tuple<int, QString, const char*, int> refused[] = {
        {2, "LK1234X", "String zu lang!", 1},
        {2, "LKΩ", nullptr, 1},
        {3, "Schiene\n2", nullptr, 1},
        {4, "7", "Nur Zahlen zwischen 0 und 6", 0}};
    for (const auto& [index, text, message, beeps] : refused) {
        const int before = host.beeps;
        if (message)
            host.onMessage(message);
        EXPECT_FALSE(w->cFieldData_Change(index, text)) << text.toStdString();
        EXPECT_EQ(host.beeps - before, beeps) << text.toStdString();
    }
    BlDat::TextCursor end{3, -1, 0};
    EXPECT_EQ(w->cFieldData_KeyPress(2, QChar(0x03A9), end), Key::Refuse) << "typed Ω";
    EXPECT_EQ(fields(), (QStringList{"LK2", "", ""}));
    EXPECT_TRUE(w->cFieldData_Change(2, "LKÄß€") && w->cFieldData_Change(4, "66"));
    EXPECT_EQ(fields(), (QStringList{"LKÄß€", "", "66"}));
}

TEST_F(BlDatTest, ARailThatGotCoursesMeanwhileOrLostItsDesignationIsNotWritten) {
    rail(1, "LK1", "alt", 6);
    rail(2, "LK2");
    open();
    // An existing rail's designation cannot be emptied: the export would write "Null".
    for (const QString& bez : {QString(), QStringLiteral("  ")}) {
        w->cFieldData_Change(2, bez);
        host.onMessage("Datensatz leer!");
        select(1);
        ASSERT_EQ(host.pending(), 0u);
        EXPECT_EQ(host.messages.back().title, "Block");
    }
    EXPECT_EQ(w->lstBlock.currentIndex(), 0);

    // The workspace places a course on the shown rail while its fields are being edited.
    w->cFieldData_Change(2, "LK9");
    w->cFieldData_Change(3, "neu");
    db.insert("ckkurs", {{"CK_BL_ID", db::sixKey(1)}, {"CK_KS_ID", "KS0001"}});
    host.onMessage(kLocked);
    select(1);
    ASSERT_EQ(host.pending(), 0u);
    EXPECT_EQ(rails().first(), "1|     9|LK1|alt|10|6|     1|0");
    EXPECT_EQ(fields(), (QStringList{"LK1", "alt", "6"})) << "the stored fields come back";
    host.onMessage(kLocked);
    EXPECT_EQ(key(3, 'x'), Key::Refuse);
    select(1);
    EXPECT_EQ(fields().first(), "LK2") << "nothing is left to write";
}

// The checks behind the handlers, at their edges.
TEST(BlDatChecks, DesignationsHoursAndFieldTextsAtTheirLimits) {
    using namespace editors::bldat;
    const std::tuple<const char*, const char*, bool> names[] = {
        {"gk1", "GK1", true}, {" GK1 ", "GK1", true}, {"GK1", "GK10", false}, {"", " ", true}};
    for (const auto& [a, b, same] : names)
        EXPECT_EQ(sameDesignation(a, b), same) << a << "|" << b;

    const std::tuple<const char*, QVariant> hoursOf[] = {
        {"", QVariant()}, {" ", QVariant()}, {"0", 0}, {"6", 6}, {" 6 ", 6}};
    for (const auto& [text, stored] : hoursOf)
        EXPECT_EQ(hours(text), std::optional<QVariant>(stored)) << text;
    for (const char* refused : {"7", "-1", "x"})
        EXPECT_FALSE(hours(refused)) << refused;

    const std::tuple<int, QString, Fit> texts[] = {{kBez, "ABCDEF", Fit::Fits},
                                                   {kBez, "ABCDEFG", Fit::TooLong},
                                                   {kName, QString(30, 'n'), Fit::Fits},
                                                   {kName, "a\rb", Fit::NotCarried},
                                                   {kName, "a\nb", Fit::NotCarried},
                                                   {kName, QStringLiteral("Łódź"), Fit::NotCarried},
                                                   {kStd, "6", Fit::Fits},
                                                   {kStd, "7", Fit::NotHours},
                                                   {kStd, "", Fit::Fits}};
    for (const auto& [index, text, verdict] : texts)
        EXPECT_EQ(fit(index, text), verdict) << index << " " << text.toStdString();
}

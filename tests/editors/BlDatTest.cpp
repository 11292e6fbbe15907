#include "editors/BlDat.h"

#include "db/Database.h"
#include "support/School.h"

#include <gtest/gtest.h>
#include <tuple>

// The rail editor through its handlers, on a real file with rails of two school years; keys
// typed as the view forwards them.

namespace {

using editors::BlDat;
using Key = BlDat::KeyDecision;
using test::kOtherYear;

const QString kHours = QStringLiteral("Nur Zahlen zwischen 0 und 6");
const QString kTaken = QStringLiteral("Blockname bereits vorhanden!");
const QString kLong = QStringLiteral("String zu lang!");
const QString kLocked =
    QStringLiteral("Block enthält bereits Kurse!\r\nÄnderungen nicht mehr möglich!");

class BlDatTest : public ::testing::Test {
protected:
    test::School school;
    test::ScriptedHost& host = school.host;
    test::TestDb& db = school.db;
    std::unique_ptr<BlDat> w;
    QStringList focus;

    void rail(int id, const QString& bez, const QVariant& name = {}, const QVariant& hours = {},
              const QString& year = test::kYear) {
        school.rail(id, bez, hours, year, {{"BL_NAME", name}, {"BL_SORT", id * 10}});
    }
    void open() {
        w = std::make_unique<BlDat>(school.state, host);
        QObject::connect(w.get(), &BlDat::focusRequested,
                         [this](const QString& control) { focus << control; });
        w->Form_Load();
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
    // The current line, the fields, and which of New, Update, Delete, Close and Cancel are enabled.
    QString shown() const {
        QString out = QString::number(w->lstBlock.currentIndex()) + ' ' + fields().join('|') + ' ';
        for (const char* b :
             {"NewButton", "UpdateButton", "deleteButton", "CloseButton", "CancelButton"})
            out += w->command(b)->enabled ? '1' : '0';
        return out;
    }
    QStringList rails() {
        return db.rows("SELECT BL_ID, BL_SCHJ, BL_BEZ, BL_NAME, BL_SORT, BL_STD, BL_VFP_ID, BL_FIX "
                       "FROM block ORDER BY BL_ID");
    }
    void placeOn(int railId) { school.place(railId, "KS0001"); }
};

} // namespace

// The rails of every school year, the first shown; deleting shows the rail at the same place, or
// the last one when none follows, and with the last rail gone the window adds.
TEST_F(BlDatTest, ListsTheRailsOfEverySchoolYearShowsTheFirstAndDeletesInPlace) {
    rail(1, "LK1", "Leistungskurse 1", 6);
    rail(2, "GK1", {}, {}, kOtherYear);
    rail(3, "LK3");
    db.useIn(school.state, "2010/2011", kOtherYear);
    open();
    EXPECT_EQ(w->caption(), "Tabelle: block");
    EXPECT_EQ(w->lstBlock.lines(),
              (QStringList{"LK1          1", "GK1          2", "LK3          3"}));
    EXPECT_EQ(w->CombSJ.lines(), (QStringList{"2009/2010          3", "2010/2011          4"}));
    EXPECT_EQ(w->CombSJ.currentIndex(), 1) << "the line of the current school year";
    EXPECT_TRUE(w->editing());
    EXPECT_EQ(shown(), "0 LK1|Leistungskurse 1|6 10110");
    select(1);
    EXPECT_EQ(shown(), "1 GK1|| 10110");
    w->click("deleteButton");
    EXPECT_EQ(w->lstBlock.lines(), (QStringList{"LK1          1", "LK3          3"}));
    EXPECT_EQ(shown(), "1 LK3|| 10110");
    w->click("deleteButton");
    EXPECT_EQ(shown(), "0 LK1|Leistungskurse 1|6 10110");
    w->click("deleteButton");
    EXPECT_EQ(db.scalar("SELECT count(*) FROM block").toInt(), 0);
    EXPECT_TRUE(w->adding() && !w->editing() && !w->lstBlockEnabled);
    EXPECT_EQ(shown(), "-1 || 01001");
    w->click("CancelButton");
    EXPECT_FALSE(w->adding() || w->editing());
    EXPECT_EQ(shown().right(5), "10110");
    EXPECT_TRUE(host.messages.empty());
    open(); // without rails it adds at once
    EXPECT_EQ(shown(), "-1 || 01001");
    EXPECT_EQ(focus.last(), "cFieldData(2)");
}

// The key filter over the three fields: the hours take the digits 0 to 6, the text fields their
// size; a rail carrying courses takes no key at all, not even Enter or an edit, nor a change.
TEST_F(BlDatTest, TheKeyFilterDecidesEveryKeyByFieldAndRail) {
    rail(1, "LK1", "Leistungskurse 1", 6);
    rail(2, "ABCDEF", QString(29, 'n'));
    placeOn(1);
    open();
    // clang-format off
    const std::tuple<int, int, QChar, Key, QString> keys[] = {
        {0, 2, 'X', Key::Refuse, kLocked}, {0, 4, '5', Key::Refuse, kLocked},
        {0, 2, BlDat::kEnter, Key::Refuse, kLocked}, {0, 4, BlDat::kDelete, Key::Refuse, kLocked},
        {1, 4, '/', Key::Refuse, kHours}, {1, 4, '0', Key::Accept, {}},
        {1, 4, '6', Key::Accept, {}}, {1, 4, '7', Key::Refuse, kHours},
        {1, 4, 'x', Key::Refuse, kHours}, {1, 2, 'G', Key::Refuse, kLong}, // BL_BEZ holds 6
        {1, 3, QChar(0x03A9), Key::Refuse, {}}, // not in the export's code page: a beep
        {1, 3, 'n', Key::Accept, {}}, {1, 3, 'n', Key::Refuse, kLong}}; // BL_NAME holds 30
    // clang-format on
    for (const auto& [line, index, k, decision, message] : keys) {
        SCOPED_TRACE(QString("%1 %2 %3").arg(line).arg(index).arg(k).toStdString());
        if (w->lstBlock.currentIndex() != line)
            select(line);
        if (!message.isEmpty())
            host.onMessage(message);
        EXPECT_EQ(key(index, k), decision);
        EXPECT_EQ(host.pending(), 0u);
        if (!message.isEmpty()) {
            EXPECT_EQ(host.messages.back().icon,
                      line == 0 ? ui::Icon::Critical : ui::Icon::Exclamation);
        }
    }
    EXPECT_EQ(host.messages.front().title, "Block");
    EXPECT_EQ(host.messages.back().title, "");
    EXPECT_EQ(host.beeps, 3);
    EXPECT_EQ(fields(), (QStringList{"ABCDEF", QString(30, 'n'), "06"}));

    // Editing keys: a typed key replacing a selection does not lengthen the text.
    BlDat::TextCursor selection{3, 2, 1};
    EXPECT_EQ(w->cFieldData_KeyPress(2, 'x', selection), Key::Accept);
    const std::tuple<BlDat::TextCursor, QChar, QString, int> edits[] = {
        {{6, -1, 0}, BlDat::kBackspace, "ABCDE", 5},
        {{0, -1, 0}, BlDat::kDelete, "BCDE", 0},
        {{1, 1, 2}, BlDat::kBackspace, "BE", 1},
    };
    for (auto [cursor, k, text, position] : edits) {
        EXPECT_EQ(w->cFieldData_KeyPress(2, k, cursor), Key::Edited);
        EXPECT_EQ(w->cFieldData[2], text);
        EXPECT_EQ(cursor.position, position);
    }
    focus.clear();
    for (int index : {2, 3, 4})
        EXPECT_EQ(key(index, BlDat::kEnter), Key::NextField);
    EXPECT_EQ(focus, (QStringList{"cFieldData(3)", "cFieldData(4)", "lstBlock"}));

    // Deleting a rail with courses is refused, too.
    select(0);
    host.onMessage("Block enthält bereits Kurse!\r\nLöschen nicht mehr möglich!");
    w->click("deleteButton");
    EXPECT_EQ(w->lstBlock.count(), 2);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM block").toInt(), 2);

    // Any other change of a field's text (pasting, a shortcut) passes the same checks as a whole.
    host.onMessage(kLocked);
    EXPECT_FALSE(w->cFieldData_Change(2, "")) << "a rail with courses: Ctrl+K as a key";
    select(1);
    // Text, its message (none: a beep alone), beeps; the export's code page is Windows-1252.
    const std::tuple<int, QString, QString, int> refused[] = {{2, "LK1234X", kLong, 1},
                                                              {2, "LKΩ", {}, 1},
                                                              {3, "Schiene\n2", {}, 1},
                                                              {3, "Schiene\r2", {}, 1},
                                                              {4, "7", kHours, 0}};
    for (const auto& [index, text, message, beeps] : refused) {
        SCOPED_TRACE(text.toStdString());
        const int before = host.beeps;
        if (!message.isEmpty())
            host.onMessage(message);
        EXPECT_FALSE(w->cFieldData_Change(index, text));
        EXPECT_EQ(host.beeps - before, beeps);
    }
    EXPECT_EQ(fields(), (QStringList{"BE", QString(30, 'n'), "6"})) << "as written";
    EXPECT_TRUE(w->cFieldData_Change(2, "LKÄß€") && w->cFieldData_Change(4, "60"));
    EXPECT_EQ(fields(), (QStringList{"LKÄß€", QString(30, 'n'), "60"}));
}

TEST_F(BlDatTest, NewRailIsCheckedAndSavedWithTheChosenSchoolYear) {
    rail(1, "S1", "Schiene 1", 3);
    rail(2, "GK1");
    open();
    w->click("NewButton");
    EXPECT_TRUE(w->adding());
    EXPECT_EQ(shown().section(" ", 1), "|| 01001");
    host.onMessage("Datensatz leer!");
    type(2, "  ");
    w->click("UpdateButton");
    EXPECT_EQ(host.messages.back().title, "Block");
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Critical);

    // "s1" is the designation of rail 1 in this school year, whatever its case and blanks.
    w->cFieldData_Change(2, "s1 ");
    type(3, "Neue Schiene");
    type(4, "3");
    focus.clear();
    EXPECT_EQ(key(4, BlDat::kEnter), Key::NextField);
    EXPECT_EQ(focus, QStringList{"UpdateButton"});
    host.onMessage(kTaken);
    w->click("UpdateButton");
    EXPECT_EQ(host.messages.back().title, "Kurs- und Blockbildung");
    EXPECT_EQ(rails().size(), 2);

    w->CombSJ.setCurrent(1);
    w->click("UpdateButton");
    EXPECT_EQ(rails().last(), "3|     4|s1 |Neue Schiene|21|3|     3|0");
    EXPECT_EQ(w->lstBlock.lines().last(), "s1           3");
    EXPECT_EQ(w->listPosition(), 3);
    EXPECT_TRUE(w->editing() && !w->adding() && w->lstBlockEnabled);
    EXPECT_EQ(shown(), "2 s1 |Neue Schiene|3 10110");

    // A second rail "S1" of the same year is caught by the check, not by the unique index.
    w->click("NewButton");
    type(2, "S1");
    w->CombSJ.setCurrent(1);
    host.onMessage(kTaken);
    w->click("UpdateButton");
    EXPECT_EQ(rails().size(), 3);
}

TEST_F(BlDatTest, RailRenamedToAnotherRailsDesignationIsNotWrittenAndToldOnce) {
    rail(1, "S1");
    rail(2, "S2");
    rail(3, "S1", {}, {}, kOtherYear);
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

// The hours are checked again when written: two digits would not fit the placement's layouts.
TEST_F(BlDatTest, ChangesAreWrittenOnAnotherLineOnNewAndOnClosingOrAreRefusedAndKept) {
    rail(1, "LK1", "alt", 6);
    rail(2, "LK2");
    open();
    const std::tuple<QString, bool, int> hours[] = {
        {"66", false, 6}, {"10", false, 6}, {"0", true, 0}, {"6", true, 6}};
    for (const auto& [typed, written, stored] : hours) {
        SCOPED_TRACE(typed.toStdString());
        w->cFieldData_Change(4, typed);
        if (!written)
            host.onMessage(kHours);
        select(1);
        EXPECT_EQ(QString::number(w->lstBlock.currentIndex()) +
                      db.scalar("SELECT BL_STD FROM block WHERE BL_ID = 1").toString(),
                  QString::number(written ? 1 : 0) + QString::number(stored));
        if (written)
            select(0);
    }
    EXPECT_EQ(host.pending(), 0u);
    w->cFieldData_Change(3, "neu");
    select(1);
    w->cFieldData_Change(4, "2");
    w->click("NewButton");
    EXPECT_EQ(rails(),
              (QStringList{"1|     3|LK1|neu|10|6|     1|0", "2|     3|LK2|<null>|20|2|     2|0"}))
        << "only the changed fields are written; the untouched name stays NULL";

    w->click("CancelButton");
    EXPECT_EQ(shown(), "1 LK2||2 10110");
    EXPECT_TRUE(w->editing() && !w->adding());
    w->cFieldData_Change(3, "Schiene 2");
    host.status = "alt";
    w->click("CloseButton");
    EXPECT_TRUE(w->unloaded());
    EXPECT_EQ(host.status, "");
    EXPECT_EQ(db.scalar("SELECT BL_NAME FROM block WHERE BL_ID = 2").toString(), "Schiene 2");

    // A rail that got courses, lost its designation or fails to write is kept. An existing
    // rail's designation cannot be emptied: the export would write "Null".
    db.scalar("UPDATE block SET BL_NAME = 'alt' WHERE BL_ID = 1");
    db.scalar("UPDATE block SET BL_NAME = NULL, BL_STD = NULL WHERE BL_ID = 2");
    open();
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
    placeOn(1);
    host.onMessage(kLocked);
    select(1);
    ASSERT_EQ(host.pending(), 0u);
    EXPECT_EQ(rails().first(), "1|     3|LK1|alt|10|6|     1|0");
    EXPECT_EQ(fields(), (QStringList{"LK1", "alt", "6"})) << "the stored fields come back";
    host.onMessage(kLocked);
    EXPECT_EQ(key(3, 'x'), Key::Refuse);
    select(1);
    EXPECT_EQ(fields().first(), "LK2") << "nothing is left to write";

    // A failed write is shown with the number of its kind and keeps the rail; a trigger's
    // refusal is a broken rule of the file.
    db.scalar("CREATE TRIGGER refuse BEFORE UPDATE ON block BEGIN SELECT RAISE(ABORT, 'nein'); "
              "END");
    w->cFieldData_Change(3, "Schiene 2");
    host.onMessage(ui::Answer::Ok);
    select(0);
    EXPECT_EQ(host.messages.back().text.left(36), "Folgender Error trat auf:\r\nNumber: 4");
    EXPECT_TRUE(host.messages.back().text.endsWith("nein"));
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(w->lstBlock.currentIndex(), 1);
    EXPECT_TRUE(db.scalar("SELECT BL_NAME FROM block WHERE BL_ID = 2").isNull());
    db.scalar("DROP TABLE ckkurs");
    host.onMessage(ui::Answer::Ok);
    w->click("deleteButton");
    EXPECT_EQ(host.messages.back().text.left(36), "Folgender Error trat auf:\r\nNumber: 3");
}

// The two editors through their handlers, on a real file. The rail editor on rails of two school
// years, keys typed as the view forwards them; the course-choice editor on a small school of
// 2009/2010: cohort 2009 in year group 12, cohort 2008 in 13.
#include "editors/BlDat.h"
#include "editors/frmBeleg.h"
#include "editors/frmBelegChecks.h"

#include "db/Database.h"
#include "support/School.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

// A small school of 2009/2010 in a real file, its scripted host, and the editor under test.
template <class Window> struct EditorTest : ::testing::Test {
    test::School school;
    test::ScriptedHost& host = school.host;
    test::TestDb& db = school.db;
    std::unique_ptr<Window> w;
};

using editors::BlDat;
using Key = BlDat::KeyDecision;
using test::kOtherYear;

const QString kHours = QStringLiteral("Nur Zahlen zwischen 0 und 6");
const QString kTaken = QStringLiteral("Blockname bereits vorhanden!");
const QString kLong = QStringLiteral("String zu lang!");
const QString kLocked =
    QStringLiteral("Block enthält bereits Kurse!\r\nÄnderungen nicht mehr möglich!");

class BlDatTest : public EditorTest<BlDat> {
protected:
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
    // LK1 carrying a course, and ABCDEF whose name is one character short of its size.
    void railWithCoursesAndLongName() {
        rail(1, "LK1", "Leistungskurse 1", 6);
        rail(2, "ABCDEF", QString(29, 'n'));
        school.place(1, "KS0001");
        open();
    }
    QStringList rails() {
        return db.rows("SELECT BL_ID, BL_SCHJ, BL_BEZ, BL_NAME, BL_SORT, BL_STD, BL_VFP_ID, BL_FIX "
                       "FROM block ORDER BY BL_ID");
    }
};

using editors::frmBeleg;

QString line(const QString& name, const QString& key) {
    return name.leftJustified(52, ' ') + key;
}

class frmBelegTest : public EditorTest<frmBeleg> {
protected:
    void SetUp() override {
        // The builder's subject 1 becomes German of cohort 2009.
        db.scalar("UPDATE fachang SET FA_KURSPH = '2009', FA_BEZ = 'D', FA_BELEG = 'LABSCX'");
        school.batch();
        // clang-format off
        const std::tuple<int, const char*, const char*, QVariant> subjects[] = {
            {2, "2009", "M", "LABSCX"}, {3, "2009", "E", "ABSCX"}, {4, "2009", "Ph", "ABSCX"},
            {5, "2009", "Lat", "L"}, {6, "2009", "Sp", {}}, {7, "2009", "Ku", "BSC"},
            {11, "2008", "D", "LABSCX"}, {12, "2008", "M", "LABSCX"}, {13, "2008", "E", "ABSCX"},
            {14, "2008", "Ph", "ABSCX"}};
        const std::tuple<int, const char*, int, const char*, const char*> courses[] = {
            {1, "1E1", 3, "11", "K"}, {2, "1E2", 3, "11", "K"}, {3, "1Ph1", 4, "11", "K"},
            {5, "1LD1", 1, "11", "L"}, {6, "1LM1", 2, "11", "L"}, {7, "1Ku1", 7, "11", "K"},
            {8, "1Ku2", 7, "11", "K"}, {9, "1LL1", 5, "11", "L"}, {11, "2E1", 13, "12", "K"},
            {12, "2Ph1", 14, "12", "K"}, {13, "2LD1", 11, "12", "L"}};
        // Adler: two advanced courses, English and physics, sport without any course. Bauer: no
        // advanced course. Zorn: three. Weber, year group 13: mathematics as a basic course,
        // English without a year-13 course.
        const std::tuple<int, int, const char*, int, int> choices[] = {
            {1, 1, "L", 5, 0}, {1, 2, "L", 6, 0}, {1, 3, "S", 1, 11}, {1, 4, "S", 3, 12},
            {1, 6, "S", 0, 0}, {2, 3, "S", 1, 0}, {3, 1, "L", 5, 0}, {3, 2, "L", 6, 0},
            {3, 5, "L", 9, 0}, {3, 3, "X", 2, 0}, {11, 11, "L", 5, 13}, {11, 12, "S", 6, 0},
            {11, 13, "A", 1, 0}};
        // clang-format on
        for (const auto& [id, cohort, bez, beleg] : subjects)
            school.subject(id, {}, {{"FA_KURSPH", cohort}, {"FA_BEZ", bez}, {"FA_BELEG", beleg}});
        for (const auto& [id, bez, subject, code, kind] : courses)
            course(id, bez, subject, code, kind);
        school.student(1, "Adler", "Anna");
        school.student(2, "Bauer", "Ben");
        school.student(3, "Zorn", "Zoe");
        school.student(11, "Weber", "Lu", "2008");
        school.student(21, "Alt", "Ali", "2007");
        for (const auto& [student, subject, art, c12, c13] : choices)
            choice(student, subject, art, c12, c13);
        school.commit();
    }
    // Courses carry the administration's codes as the import writes them: kind "K", "11" for
    // year group 12, "12" for 13.
    void course(int id, const QString& bez, int subject, const QString& code = "11",
                const QString& kind = "K") {
        const QString fa = test::School::subjectKey(subject);
        school.course(id, bez,
                      {{"KS_FA_ID1", fa},
                       {"KS_FA_ID3", code == "12" ? QVariant(fa) : QVariant()},
                       {"KS_JGST", code},
                       {"KS_LKGK", kind}});
    }
    void choice(int student, int subject, const QString& art, int c12 = 0, int c13 = 0) {
        const auto key = [](int id) {
            return id ? QVariant(test::School::courseKey(id)) : QVariant();
        };
        school.choice(test::School::studentKey(student), key(c12), key(c13),
                      {{"BG_FA_ID", test::School::subjectKey(subject)}, {"BG_ART", art}});
    }
    frmBeleg& open() {
        w = std::make_unique<frmBeleg>(school.state, host);
        w->Form_Load();
        return *w;
    }
    void cohort(int i) {
        w->CmbKolJg.setCurrent(i);
        w->CmbKolJg_Click();
    }
    // The line of a student or subject (by key, "" for the empty choice).
    static int lineOf(const QStringList& lines, const QString& key) {
        for (int i = 0; i < lines.size(); ++i)
            if (key.isEmpty() ? lines[i].trimmed().isEmpty() : lines[i].endsWith(key))
                return i;
        ADD_FAILURE() << "no line " << key.toStdString();
        return -1;
    }
    void pick(const QString& key) {
        w->LstNavigator.setCurrent(lineOf(w->LstNavigator.lines(), key));
        w->LstNavigator_Click();
    }
    // Chooses an entry as the user does.
    static void choose(ui::ComboBox& box, const QString& key) {
        box.setCurrent(lineOf(box.lines(), key));
    }
    void gkSubject(int row, const QString& key) {
        choose(w->CmbFachGK[static_cast<size_t>(row)], key);
        w->CmbFachGK_Click(row);
    }
    void gkType(int row, const QString& art) {
        auto& box = w->CmbBlGK[static_cast<size_t>(row)];
        box.setCurrent(static_cast<int>(box.lines().indexOf(art)));
        w->CmbBlGK_Click(row);
    }
    // BG_FA_ID, BG_ART, BG_KS_ID_12 and BG_KS_ID_13 of a student's choices in stored order.
    QStringList choices(const QString& student) {
        return db.rows("SELECT BG_FA_ID, BG_ART, BG_KS_ID_12, BG_KS_ID_13 FROM belegung "
                       "WHERE BG_KO_ID = ? ORDER BY BG_ID",
                       {student});
    }
    // A stored choice row, then a basic course row as shown.
    QString both(const QString& student, int stored, int row) {
        return choices(student)[stored] + " / " + gkShown(row);
    }
    QString gkShown(int row) const {
        const auto r = static_cast<size_t>(row);
        return w->CmbFachGK[r].text() + "|" + w->CmbBlGK[r].text() + "|" + w->lblKursKG[r] + "|" +
               w->lblKursKG[r + 13];
    }
};

} // namespace

// The rails of every school year, the first shown; deleting shows the rail at the same place, or
// the last one when none follows, and with the last rail gone the window adds.
TEST_F(BlDatTest, ListsRailsOfEverySchoolYearDeletesInPlaceAndFiltersEveryKey) {
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
TEST_F(BlDatTest, KeysAreFilteredByFieldAndRefusedOnARailWithCourses) {
    railWithCoursesAndLongName();
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
}

// Editing keys: a typed key replacing a selection does not lengthen the text; Enter goes on to
// the next field.
TEST_F(BlDatTest, EditingKeysKeepTheFieldsSize) {
    railWithCoursesAndLongName();
    select(1);
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
}

TEST_F(BlDatTest, ARailWithCoursesIsNeitherDeletedNorChanged) {
    railWithCoursesAndLongName();
    select(0);
    host.onMessage("Block enthält bereits Kurse!\r\nLöschen nicht mehr möglich!");
    w->click("deleteButton");
    EXPECT_EQ(w->lstBlock.count(), 2);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM block").toInt(), 2);
    host.onMessage(kLocked);
    EXPECT_FALSE(w->cFieldData_Change(2, "")) << "a rail with courses: Ctrl+K as a key";
}

// Any other change of a field's text (pasting, a shortcut) passes the same checks as a whole.
TEST_F(BlDatTest, AChangedTextPassesTheChecksOfItsKeys) {
    railWithCoursesAndLongName();
    select(1);
    const QStringList stored = fields();
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
    EXPECT_EQ(fields(), stored) << "as written";
    EXPECT_TRUE(w->cFieldData_Change(2, "LKÄß€") && w->cFieldData_Change(4, "60"));
    EXPECT_EQ(fields(), (QStringList{"LKÄß€", QString(29, 'n'), "60"}));
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
    school.place(1, "KS0001");
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

TEST_F(frmBelegTest, OffersTheCohortsSubjectsAndStudentsAndAStudentsChoicesWithTheirCourses) {
    open();
    EXPECT_EQ(w->caption(), "Belegungsdaten ");
    EXPECT_EQ(w->CmbKolJg.lines(), (QStringList{"2009", "2008"}));
    EXPECT_EQ(w->CmbKolJg.currentIndex(), 0);
    // "Lat" (FA_BELEG "L") is offered only as an advanced course; "Sp" (no FA_BELEG) not at all.
    const QStringList lk{"D   FA0001", "M   FA0002", "Lat FA0005"};
    const QStringList gk{"   ",        "D   FA0001", "M   FA0002",
                         "E   FA0003", "Ph  FA0004", "Ku  FA0007"};
    for (const auto& box : w->CmbFachLK)
        EXPECT_EQ(box.lines(), lk);
    for (const auto& box : w->CmbFachGK)
        EXPECT_EQ(box.lines(), gk);
    EXPECT_EQ(w->LstNavigator.lines(),
              (QStringList{line("Adler Anna", "ST0001"), line("Bauer Ben", "ST0002"),
                           line("Zorn Zoe", "ST0003")}));

    // A student's choices with courses and types.
    pick("ST0001");
    EXPECT_EQ(w->student() + " " + w->yearGroup(), "ST0001 12");
    EXPECT_EQ(w->CmbFachLK[0].text() + w->CmbFachLK[1].text(), "D   FA0001M   FA0002");
    EXPECT_EQ(w->lblKursLK, (std::array<QString, 4>{"1LD1", "", "1LM1", ""}));
    // Sport has no course and is not shown.
    EXPECT_EQ(QStringList({gkShown(0), gkShown(1), gkShown(2)}),
              QStringList({"E   FA0003|S|1E1|2E1", "Ph  FA0004|S|1Ph1|2Ph1", "|||"}));
    EXPECT_EQ(w->CmbBlGK[0].lines(), (QStringList{"A", "B", "S", "C", "X"}));
    EXPECT_EQ(w->CmbBlGK[2].count(), 0);
}

// Leaving a student, only boxes that differ from his stored choices are reported: boxes changed
// without their handler writing, as a failed handler leaves them. Students without or with too
// many advanced courses are told so; another cohort has its own students and subjects.
TEST_F(frmBelegTest, LeavingAStudentReportsWhatDiffersFromTheFile) {
    open();
    pick("ST0001");
    choose(w->CmbFachLK[1], "FA0005");
    choose(w->CmbFachGK[1], "FA0007");
    choose(w->CmbFachGK[5], "FA0003");
    choose(w->CmbFachGK[12], "FA0002");
    w->CmbBlGK[0].setCurrent(0);
    host.onMessage("LK-Änderung bei: 2")
        .onMessage("GK-Änderung bei: 2")
        .onMessage("GK-Änderung bei: 6")
        .onMessage("GK-Änderung bei: 13")
        .onMessage("Belungsart-Änderung bei: 1");
    // Three advanced courses: the first two and the message; the basic course is still shown.
    host.onMessage("Zu viele Leistungskurse!");
    pick("ST0003");
    EXPECT_EQ(host.messages.front().icon, ui::Icon::None);
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(w->CmbFachLK[1].text() + " " + gkShown(0), "M   FA0002 E   FA0003|X|1E2|");

    host.onMessage("Kollegiat hat keine Leistungskursbelegung!");
    pick("ST0002");
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(gkShown(0), "|||") << "nothing of the previous student stays";

    host.messages.clear();
    cohort(1);
    EXPECT_EQ(w->LstNavigator.lines(), QStringList{line("Weber Lu", "ST0011")});
    EXPECT_EQ(w->CmbFachLK[0].lines(), (QStringList{"D   FA0011", "M   FA0012"}));
    EXPECT_TRUE(host.messages.empty());
}

// Subjects are not added, removed or doubled.
TEST_F(frmBelegTest, SubjectsAreNotAddedRemovedOrDoubled) {
    open();
    pick("ST0001");
    const QStringList before = choices("ST0001");
    // Row (13: the first advanced course), subject, message; the box keeps its subject. Physics
    // is already his (row 2), mathematics his advanced course.
    const QString taken = "Kollegiat hat dieses Fach bereits belegt!";
    const std::tuple<int, QString, QString, QString> refused[] = {
        {2, "FA0003", "Erweitern der Belegung wird noch nicht unterstützt!", ""},
        {0, "", "Löschen der Belegung wird noch nicht unterstützt!", "E   FA0003"},
        {0, "FA0004", taken, "E   FA0003"},
        {0, "FA0002", taken, "E   FA0003"},
        {13, "FA0002", taken, "D   FA0001"}};
    for (const auto& [row, subject, message, kept] : refused) {
        SCOPED_TRACE(subject.toStdString());
        host.onMessage(message);
        auto& box = row < 13 ? w->CmbFachGK[static_cast<size_t>(row)] : w->CmbFachLK[0];
        choose(box, subject);
        row < 13 ? w->CmbFachGK_Click(row) : w->CmbFachLK_Click(0);
        EXPECT_EQ(box.text().trimmed(), kept);
        EXPECT_EQ(host.messages.back().icon, ui::Icon::Critical);
    }
    EXPECT_EQ(choices("ST0001"), before);
}

// An advanced course subject change gives the subject's first advanced course; without one the
// change is refused.
TEST_F(frmBelegTest, AnAdvancedSubjectChangeGivesItsFirstAdvancedCourse) {
    open();
    pick("ST0001");
    db.scalar("UPDATE kurs SET KS_LKGK = 'K' WHERE KS_VFP_ID = 'KS0009'");
    host.onMessage("Kurszuweisung nicht möglich:\r\n2009: Fach: Lat  Adler");
    choose(w->CmbFachLK[1], "FA0005");
    w->CmbFachLK_Click(1);
    EXPECT_EQ(w->CmbFachLK[1].text(), "M   FA0002");
    EXPECT_EQ(choices("ST0001")[1], "FA0002|L|KS0006|<null>");

    host.messages.clear();
    db.scalar("UPDATE kurs SET KS_LKGK = 'L' WHERE KS_VFP_ID = 'KS0009'");
    choose(w->CmbFachLK[1], "FA0005");
    w->CmbFachLK_Click(1);
    EXPECT_EQ(choices("ST0001")[1], "FA0005|L|KS0009|<null>");
    EXPECT_EQ(w->lblKursLK, (std::array<QString, 4>{"1LD1", "", "1LL1", ""}));
    EXPECT_TRUE(host.messages.empty());
}

// A basic course subject change gives the year group's first course, one of kind "G" with the
// year group as its code first; nothing written is reported when the next student is chosen.
TEST_F(frmBelegTest, ABasicSubjectChangeGivesTheYearGroupsFirstCourse) {
    open();
    pick("ST0001");
    gkSubject(0, "FA0007");
    EXPECT_EQ(both("ST0001", 2, 0), "FA0007|S|KS0007|<null> / Ku  FA0007|S|1Ku1|");
    EXPECT_EQ(w->CmbBlGK[0].lines(), (QStringList{"B", "S", "C"}));

    // The window prefers a basic course of kind "G" with the year group as its code.
    course(30, "GKu", 7, "12", "G");
    gkSubject(0, "FA0003");
    gkSubject(0, "FA0007");
    EXPECT_EQ(choices("ST0001")[2], "FA0007|S|KS0030|<null>");

    // Nothing the handlers wrote is reported when the next student is chosen.
    host.onMessage("Kollegiat hat keine Leistungskursbelegung!");
    pick("ST0002");
    EXPECT_EQ(host.messages.size(), 1u);
}

// In year group 13 the year-13 course is given whatever the type; a subject without a course
// keeps the choice as it was.
TEST_F(frmBelegTest, InYearGroup13TheYear13CourseIsGiven) {
    open();
    cohort(1);
    pick("ST0011");
    EXPECT_EQ(w->yearGroup(), "13");
    gkSubject(0, "FA0014");
    EXPECT_EQ(both("ST0011", 1, 0), "FA0014|S|<null>|KS0012 / Ph  FA0014|S||2Ph1");

    // Mathematics has no course yet: the choice keeps English and its course, and stays shown.
    host.onMessage("Kurszuweisung nicht möglich:\r\n2008: Fach: M    Weber");
    gkSubject(1, "FA0012");
    ASSERT_EQ(host.pending(), 0u);
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(both("ST0011", 2, 1), "FA0013|A|KS0001|<null> / E   FA0013|A|1E1|");

    // English of type A: its new subject still gets the year-13 course, so it is not lost.
    course(14, "2M1", 12, "12");
    gkSubject(1, "FA0012");
    EXPECT_EQ(both("ST0011", 2, 1), "FA0012|A|<null>|KS0014 / M   FA0012|A||2M1");
    pick("ST0011");
    EXPECT_EQ(gkShown(1), "M   FA0012|A||2M1") << "shown again on reopening";
    EXPECT_EQ(host.messages.size(), 1u);
}

// A type clears the course of the year it leaves empty; a subject change keeps the type where the
// new subject offers it, else takes its first basic type; L is refused.
TEST_F(frmBelegTest, TypesFollowTheSubjectAndClearTheCourseOfTheYearTheyLeaveEmpty) {
    school.subject(8, {}, {{"FA_KURSPH", "2009"}, {"FA_BEZ", "Bio"}, {"FA_BELEG", "LSC"}});
    course(10, "1Bio1", 8);
    open();
    pick("ST0001");
    gkType(1, "C");
    EXPECT_EQ(choices("ST0001")[3], "FA0004|C|KS0003|KS0012");
    gkType(1, "A");
    EXPECT_EQ(both("ST0001", 3, 1), "FA0004|A|KS0003|<null> / Ph  FA0004|A|1Ph1|");
    gkType(1, "B");
    EXPECT_EQ(both("ST0001", 3, 1), "FA0004|B|<null>|<null> / Ph  FA0004|B||");

    gkType(0, "A");
    gkSubject(0, "FA0007"); // art offers B, S, C
    EXPECT_EQ(both("ST0001", 2, 0), "FA0007|B|KS0007|<null> / Ku  FA0007|B|1Ku1|");
    // Biology offers L first, not B; the row's type was not L, so nothing is said of it.
    gkSubject(0, "FA0008");
    EXPECT_EQ(choices("ST0001")[2], "FA0008|S|KS0010|<null>");
    EXPECT_TRUE(host.messages.empty());

    cohort(1);
    pick("ST0011");
    host.onMessage("Belegungsart L nicht erlaubt!");
    gkType(0, "L");
    EXPECT_EQ(w->CmbBlGK[0].text(), "S");
    EXPECT_EQ(choices("ST0011")[1], "FA0012|S|KS0006|<null>");
}

// The choice checks behind the handlers, at their edges.
TEST(frmBelegChecks, SubjectsAndTypesAGrundkursRowMayTake) {
    using namespace editors::beleg;
    const std::tuple<const char*, bool> grundkurs[] = {
        {"LABSCX", true}, {"L", false}, {" l ", false}, {"", false}, {"B", true}};
    for (const auto& [faBeleg, possible] : grundkurs)
        EXPECT_EQ(FGKmoeglich(faBeleg), possible) << faBeleg;
    EXPECT_EQ(offeredTypes("LAB      S"), (QStringList{"L", "A", "B"})) << "the first 8 only";

    using S = SubjectStep;
    const std::tuple<const char*, const char*, bool, S> subjects[] = {
        {"FA0001", "fa0001", true, S::Nothing},
        {"FA0001", "", true, S::Nothing},
        {"", "FA0002", true, S::NotExtending},
        {"FA0001", "FA0002", true, S::Change},
        {"", "", false, S::Nothing},
        {"FA0001", "FA0001", false, S::Nothing}}; // the rest through the handlers above
    for (const auto& [kept, chosen, lk, step] : subjects)
        EXPECT_EQ(subjectStep(kept, chosen, lk), step) << kept << ">" << chosen << " " << lk;

    const std::tuple<const char*, QStringList, const char*, bool> types[] = {
        {"A", {"L", "A", "B"}, "A", false}, {"A", {"B", "S"}, "B", false},
        {"L", {"L", "A"}, "L", false},      {"L", {"A", "B"}, "A", true},
        {"C", {"L", "B"}, "B", false},      {"C", {"L"}, "C", false}};
    for (const auto& [kept, offered, art, refusedL] : types) {
        const TypeAfterChange t = typeAfterChange(kept, offered);
        EXPECT_EQ(t.art, art) << kept << " " << offered.join("").toStdString();
        EXPECT_EQ(t.refusedL, refusedL) << kept;
    }
    EXPECT_EQ(typeStep("A", ""), TypeStep::Nothing);
}

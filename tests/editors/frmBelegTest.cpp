#include "editors/frmBeleg.h"
#include "editors/frmBelegChecks.h"

#include "support/School.h"

#include <gtest/gtest.h>
#include <tuple>

// The course-choice editor through its handlers on a small school of 2009/2010: cohort 2009 in
// year group 12, cohort 2008 in 13.

namespace {

using editors::frmBeleg;

QString line(const QString& name, const QString& key) {
    return name.leftJustified(52, ' ') + key;
}

class frmBelegTest : public ::testing::Test {
protected:
    test::School school;
    test::ScriptedHost& host = school.host;
    test::TestDb& db = school.db;
    std::unique_ptr<frmBeleg> w;

    void SetUp() override {
        // The builder's subject 1 becomes German of cohort 2009.
        db.scalar("UPDATE fachang SET FA_KURSPH = '2009', FA_BEZ = 'D', FA_BELEG = 'LABSCX'");
        school.batch();
        // clang-format off
        const std::tuple<int, const char*, const char*, const char*> subjects[] = {
            {2, "2009", "M", "LABSCX"}, {3, "2009", "E", "ABSCX"}, {4, "2009", "Ph", "ABSCX"},
            {5, "2009", "Lat", "L"}, {6, "2009", "Sp", nullptr}, {7, "2009", "Ku", "BSC"},
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
            school.subject(id, {},
                           {{"FA_KURSPH", cohort},
                            {"FA_BEZ", bez},
                            {"FA_BELEG", beleg ? QVariant(beleg) : QVariant()}});
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

TEST_F(frmBelegTest, OffersCohortsSubjectsStudentsAndAStudentsChoicesWithCoursesAndTypes) {
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

    // Leaving him, only boxes that differ from his stored choices are reported: boxes changed
    // without their handler writing, as a failed handler leaves them.
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

// Subjects are not added, removed or doubled, and an advanced course subject change gives its
// first advanced course; a basic course subject change gives the year group's first course in 12
// and 13.
TEST_F(frmBelegTest, SubjectChangesGiveTheFirstCourseAndAreNotAddedRemovedOrDoubled) {
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

    // An advanced course subject change gives the subject's first advanced course.
    host.messages.clear();
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

    // A basic course subject change.
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

    // In year group 13 the year-13 course is given whatever the type.
    host.messages.clear();
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

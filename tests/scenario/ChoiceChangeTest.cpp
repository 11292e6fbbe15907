#include "app/MainWindow.h"
#include "editors/frmBeleg.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

// The planner corrects a student's choice and finds her in her new course when placing: on the
// demo school, Barbara Ähnlich (cohort 2009, year group 12) takes Latin instead of mathematics
// as a basic course. Keys as the import makes them, worked out from the demo data: mathematics
// of cohort 2009 is subject 48 with its first year-12 course 1M1, Latin subject 46 with 1L1;
// neither course is on a rail yet.

namespace {

const QString kBarbara = QStringLiteral("   211");
const QString kMath = QStringLiteral("    48");
const QString kLatin = QStringLiteral("    46");
constexpr qint64 kHerMathChoice = 2862;

// The choice rows of the students listed for one course of the workspace's LNKurse.
QList<qint64> studentsOf(placement::SetzenK& k, const QString& course) {
    for (int i = 0; i < k.LNKurse.count(); ++i)
        k.LNKurse.setSelected(i,
                              placement::CourseEntry::name(k.LNKurse.line(i)).trimmed() == course);
    k.LNKurse_Click();
    QList<qint64> rows;
    for (const QString& l : k.LSchueler.lines())
        if (placement::StudentLine::studentKey(l) == kBarbara)
            rows << placement::StudentLine::bgId(l);
    if (k.LSchueler.count() == 0)
        ADD_FAILURE() << course.toStdString() << " is not among the courses to place";
    return rows;
}

} // namespace

TEST(ChoiceChange, TheStudentIsListedInHerNewCourseWhenPlacing) {
    test::TempDir tmp;
    test::ScriptedHost host;
    platform::RunState s;
    s.DatenPfad = tmp.dir();
    s.DatenDatei = "BB.MDB";
    ASSERT_TRUE(test::importDemoSchool(s, host));
    host.messages.clear();
    app::MDIKundB main(s, host);

    // "&Ändern Belegung": her mathematics row becomes Latin.
    host.onModal("frmBeleg", [](ui::Window& w) {
        auto& b = static_cast<editors::frmBeleg&>(w);
        ASSERT_EQ(b.CmbKolJg.text(), "2009");
        for (int i = 0; i < b.LstNavigator.count(); ++i)
            if (b.LstNavigator.line(i).endsWith(kBarbara))
                b.LstNavigator.setCurrent(i);
        b.LstNavigator_Click();
        int row = -1;
        for (int r = 0; r < editors::frmBeleg::kGkRows; ++r)
            if (b.CmbFachGK[static_cast<size_t>(r)].text().endsWith(kMath))
                row = r;
        ASSERT_GE(row, 0);
        EXPECT_EQ(b.lblKursKG[static_cast<size_t>(row)], "1M1");
        auto& box = b.CmbFachGK[static_cast<size_t>(row)];
        for (int i = 0; i < box.count(); ++i)
            if (box.line(i).endsWith(kLatin))
                box.setCurrent(i);
        b.CmbFachGK_Click(row);
        EXPECT_EQ(b.lblKursKG[static_cast<size_t>(row)], "1L1");
    });
    main.click("menuDateiBel");
    EXPECT_TRUE(host.messages.empty());

    // "&Setzen der Kurse": she is a student of 1L1 now, no longer of 1M1.
    host.onModal("SetzenK",
                 [](ui::Window& w) {
                     auto& k = static_cast<placement::SetzenK&>(w);
                     EXPECT_EQ(studentsOf(k, "1L1"), QList<qint64>{kHerMathChoice});
                     EXPECT_TRUE(studentsOf(k, "1M1").isEmpty());
                 })
        .onMessage(ui::Answer::Cancel); // the placement itself is not saved
    main.click("menuDateiSetzenK");
    EXPECT_EQ(host.pending(), 0u);
}

// Variants of a cohort's plan: kept, listed with their figures, compared and taken over.
#include "blocking/Variants.h"
#include "Blocks.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2010, 3, 1), QTime(8, 15, 30));
const QString kKept = QStringLiteral("vor Übernahme 01.03.2010 08:15:30");

blocking::VariantInfo info(db::Connection& c, const blocking::SchoolYear& y, const QString& n) {
    for (const blocking::VariantInfo& v : blocking::list(c, y, 2009))
        if (v.name == n)
            return v;
    ADD_FAILURE() << "no variant " << n.toStdString();
    return {};
}

// Save A, block anew, save B, take A over: the file holds A's plan again, B is kept under the
// name of the taking over, and the figures of each variant are those of its plan. A choice
// without a course at the save is without one again after taking the save over.
TEST(Variants, ARoundTripTakesEachPlanBackWithItsFigures) {
    test::Blocks s;
    s.sample(30, 5);
    const QString path = s.path();
    const blocking::SchoolYear y{test::kYear, "2009/2010"};
    db::Connection c(path);
    c.exec("UPDATE belegung SET BG_KS_ID_12 = NULL WHERE BG_ID = 1");
    const QStringList a = test::planRows(path);
    blocking::save(c, y, 2009, "A", "erster Versuch");
    const blocking::Model m = blocking::Model::load(c, y, 2009);
    const blocking::Result r = test::plan(m);
    blocking::write(c, m, r.placement, r.assignment, std::nullopt);
    const QStringList b = test::planRows(path);
    ASSERT_TRUE(a != b);
    blocking::save(c, y, 2009, "B");
    const blocking::Applied done = *blocking::apply(c, y, 2009, " a ", std::nullopt, kNow);
    EXPECT_EQ(done.keptAs, kKept);
    EXPECT_EQ(done.notTaken, 0);
    EXPECT_EQ(test::planRows(path), a);
    const blocking::VariantDiff d = blocking::diff(c, y, 2009, "B", kKept);
    EXPECT_TRUE(d.courses.isEmpty() && d.students.isEmpty()) << d.students.join('\n').toStdString();
    EXPECT_FALSE(blocking::diff(c, y, 2009, "aktuell", "B").courses.isEmpty());

    const blocking::Model now = blocking::Model::load(c, y, 2009);
    const blocking::VariantInfo va = info(c, y, "A");
    EXPECT_EQ(va.comment, "erster Versuch");
    EXPECT_EQ(va.evaluation, blocking::evaluate(now));
    EXPECT_EQ(va.changedStudents + va.movedCourses, 0);
    const blocking::VariantInfo vb = info(c, y, "B");
    EXPECT_EQ(vb.evaluation, blocking::evaluate(now, r.placement, r.assignment));
    EXPECT_EQ(vb.changedStudents, blocking::changedStudents(r.changes));
    EXPECT_EQ(vb.movedCourses, blocking::diff(c, y, 2009, "aktuell", "B").courses.size());
    EXPECT_GT(vb.changedStudents * vb.movedCourses, 0);
    // The name of the taking over is taken: the next one at the same second is numbered.
    EXPECT_EQ(blocking::apply(c, y, 2009, "B", std::nullopt, kNow)->keptAs, kKept + " (2)");
    EXPECT_EQ(test::planRows(path), b);
}

// A rail deleted and choices changed or deleted after the save: what no longer fits is counted
// and stays as it is.
TEST(Variants, TakenOverAsFarAsItFits) {
    test::Blocks s;
    s.sample(20, 3);
    const blocking::SchoolYear y{test::kYear, "2009/2010"};
    db::Connection c(s.path());
    blocking::save(c, y, 2009, "A");
    s.block(blocking::Mode::All, 2009, 40);
    const blocking::Model m = s.model();
    // Rail 2 holds K1 and K9 in A.
    c.exec("DELETE FROM ckkurs WHERE CK_BL_ID = ?", {db::sixKey(2)});
    c.exec("DELETE FROM block WHERE BL_ID = 2");
    const qint64 changed = m.choices[0].bgId;
    const bool first =
        c.scalar("SELECT BG_FA_ID FROM belegung WHERE BG_ID = ?", {changed}) == s.subjectKey(1);
    c.exec("UPDATE belegung SET BG_FA_ID = ? WHERE BG_ID = ?",
           {s.subjectKey(first ? 2 : 1), changed});
    c.exec("DELETE FROM belegung WHERE BG_ID = ?", {m.choices[1].bgId});
    const QVariant before = c.scalar("SELECT BG_KS_ID_12 FROM belegung WHERE BG_ID = ?", {changed});

    EXPECT_EQ(blocking::apply(c, y, 2009, "A", std::nullopt, kNow)->notTaken, 4);
    EXPECT_EQ(c.scalar("SELECT BG_KS_ID_12 FROM belegung WHERE BG_ID = ?", {changed}), before);
    EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM ckkurs WHERE CK_KS_ID = ?", {s.courseKey(9)}), 0);
    // What no longer fits is not counted again against today's plan.
    EXPECT_EQ(info(c, y, "A").movedCourses, 0);
}

TEST(Variants, NamesAreRefusedTwiceEmptyOrUnknown) {
    test::Blocks s;
    s.sample(6, 1);
    const blocking::SchoolYear y{test::kYear, "2009/2010"};
    db::Connection c(s.path());
    EXPECT_TRUE(blocking::list(c, y, 2009).empty()); // a file without the tables
    blocking::save(c, y, 2009, " Dienstag ");
    blocking::save(c, y, 2009, "Mittwoch");
    blocking::save(c, y, 2009, QString(60, 'x')); // just fits
    const std::vector<std::pair<std::function<void()>, QString>> refused = {
        {[&] { blocking::save(c, y, 2009, "DIENSTAG"); },
         "Eine Variante „Dienstag“ gibt es schon."},
        {[&] { blocking::save(c, y, 2009, "  "); }, "Eine Variante braucht einen Namen."},
        {[&] { blocking::save(c, y, 2009, QString(61, 'x')); },
         "Der Name einer Variante hat höchstens 60 Zeichen."},
        {[&] { blocking::save(c, y, 2009, "Di\rMi"); },
         "Der Name einer Variante darf keine Zeilenumbrüche oder Steuerzeichen enthalten."},
        {[&] { blocking::save(c, y, 2009, "Di\nMi"); },
         "Der Name einer Variante darf keine Zeilenumbrüche oder Steuerzeichen enthalten."},
        {[&] { blocking::save(c, y, 2009, "Aktuell"); },
         "Der Name „aktuell“ steht für den aktuellen Plan; bitte einen anderen wählen."},
        {[&] { blocking::rename(c, y, 2009, "mittwoch", "dienstag"); },
         "Eine Variante „Dienstag“ gibt es schon."},
        {[&] { blocking::apply(c, y, 2009, "Montag"); }, "Eine Variante „Montag“ gibt es nicht."},
        {[&] { blocking::remove(c, y, 2009, "Montag"); }, "Eine Variante „Montag“ gibt es nicht."},
    };
    for (const auto& [call, message] : refused) {
        try {
            call();
            ADD_FAILURE() << "accepted: " << message.toStdString();
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(QString::fromUtf8(e.what()), message);
        }
    }
    blocking::rename(c, y, 2009, "mittwoch", "MITTWOCH");
    blocking::remove(c, y, 2009, "dienstag");
    blocking::remove(c, y, 2009, QString(60, 'X'));
    const std::vector<blocking::VariantInfo> left = blocking::list(c, y, 2009);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name, "MITTWOCH");
    EXPECT_TRUE(blocking::list(c, y, 2008).empty());
}

} // namespace

// Kept plans saved as variants come back with the figures the search gave them, under names
// that do not clash with those already taken.
TEST(Variants, KeptPlansSavedListWithTheirOwnFigures) {
    test::Blocks s;
    s.sample(60, 1);
    const blocking::SchoolYear y{test::kYear, "2009/2010"};
    const blocking::Model m = s.model();
    blocking::Options o;
    o.mode = blocking::Mode::All;
    o.threads = 2;
    o.rounds = 3;
    o.keepPlans = 3;
    const blocking::Result r = blocking::block(m, o);
    ASSERT_EQ(r.kept.size(), 3u);
    db::Connection c(s.path());
    blocking::save(c, y, 2009, "Automatisch 2 (01.03.2010 08:15)");
    EXPECT_EQ(
        blocking::saveKept(c, y, m, r.kept, kNow),
        QStringList({"Automatisch 1 (01.03.2010 08:15)", "Automatisch 2 (01.03.2010 08:15) (2)",
                     "Automatisch 3 (01.03.2010 08:15)"}));
    const std::vector<blocking::VariantInfo> listed = blocking::list(c, y, 2009);
    ASSERT_EQ(listed.size(), 4u);
    for (size_t i = 0; i < r.kept.size(); ++i) {
        blocking::Evaluation e = r.kept[i].evaluation;
        e.teacherClashBound = 0; // the search's bound, not the plan's
        EXPECT_EQ(listed[i + 1].evaluation, e) << i;
    }
}

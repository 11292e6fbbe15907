// Variants of a cohort's plan: kept, listed with their figures, compared and taken over; the
// search's kept plans among them.
#include "blocking/Variants.h"
#include "Blocks.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

const QDateTime kNow(QDate(2010, 3, 1), QTime(8, 15, 30));
const QString kKept = QStringLiteral("vor Übernahme 01.03.2010 08:15:30");
const blocking::SchoolYear kY{test::kYear, "2009/2010"};

blocking::VariantInfo info(db::Connection& c, const QString& n) {
    for (const blocking::VariantInfo& v : blocking::list(c, kY, 2009))
        if (v.name == n)
            return v;
    ADD_FAILURE() << "no variant " << n.toStdString();
    return {};
}

// Save A, block anew, save B, take A over: the file holds A's plan again, B is kept under the
// name of the taking over, and the figures of each variant are those of its plan. A choice
// without a course at the save is without one again after taking the save over; after changes,
// a variant is taken over as far as it fits.
TEST(Variants, ARoundTripTakesEachPlanBackWithItsFiguresAsFarAsItFits) {
    test::Blocks s;
    s.sample(30, 5);
    const QString path = s.path();
    db::Connection c(path);
    c.exec("UPDATE belegung SET BG_KS_ID_12 = NULL WHERE BG_ID = 1");
    const QStringList a = test::planRows(path);
    blocking::save(c, kY, 2009, "A", "erster Versuch");
    const blocking::Result r = s.block(blocking::Mode::All, 2009, 40);
    const QStringList b = test::planRows(path);
    ASSERT_TRUE(a != b);
    blocking::save(c, kY, 2009, "B");
    const blocking::Applied done = *blocking::apply(c, kY, 2009, " a ", std::nullopt, kNow);
    EXPECT_EQ(std::tuple(done.keptAs, done.notTaken), std::tuple(kKept, 0));
    EXPECT_EQ(test::planRows(path), a);
    const blocking::VariantDiff d = blocking::diff(c, kY, 2009, "B", kKept);
    EXPECT_TRUE(d.courses.isEmpty() && d.students.isEmpty()) << d.students.join('\n').toStdString();

    const blocking::Model now = blocking::Model::load(c, kY, 2009);
    const blocking::VariantInfo va = info(c, "A");
    EXPECT_EQ(std::tuple(va.comment, va.evaluation, va.changedStudents + va.movedCourses),
              std::tuple("erster Versuch", blocking::evaluate(now), 0));
    const blocking::VariantInfo vb = info(c, "B");
    EXPECT_EQ(std::tuple(vb.evaluation, vb.changedStudents, vb.movedCourses),
              std::tuple(blocking::evaluate(now, r.placement, r.assignment),
                         blocking::changedStudents(r.changes),
                         blocking::diff(c, kY, 2009, "aktuell", "B").courses.size()));
    EXPECT_GT(vb.changedStudents * vb.movedCourses, 0);
    // The name of the taking over is taken: the next one at the same second is numbered.
    EXPECT_EQ(blocking::apply(c, kY, 2009, "B", std::nullopt, kNow)->keptAs, kKept + " (2)");
    EXPECT_EQ(test::planRows(path), b);

    // A rail deleted and choices changed or deleted since A was saved: what no longer fits is
    // counted and stays as it is.
    const blocking::Model m = s.model();
    // Rail 2 holds K1 and K9 in A.
    c.exec("DELETE FROM ckkurs WHERE CK_BL_ID = ?", {db::sixKey(2)});
    c.exec("DELETE FROM block WHERE BL_ID = 2");
    const qint64 changed = m.choices[2].bgId;
    const bool first =
        c.scalar("SELECT BG_FA_ID FROM belegung WHERE BG_ID = ?", {changed}) == s.subjectKey(1);
    c.exec("UPDATE belegung SET BG_FA_ID = ? WHERE BG_ID = ?",
           {s.subjectKey(first ? 2 : 1), changed});
    c.exec("DELETE FROM belegung WHERE BG_ID = ?", {m.choices[3].bgId});
    const QVariant before = c.scalar("SELECT BG_KS_ID_12 FROM belegung WHERE BG_ID = ?", {changed});

    EXPECT_EQ(blocking::apply(c, kY, 2009, "A", std::nullopt, kNow)->notTaken, 4);
    EXPECT_EQ(c.scalar("SELECT BG_KS_ID_12 FROM belegung WHERE BG_ID = ?", {changed}), before);
    EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM ckkurs WHERE CK_KS_ID = ?", {s.courseKey(9)}), 0);
    // What no longer fits is not counted again against today's plan.
    EXPECT_EQ(info(c, "A").movedCourses, 0);
}

// Names are refused twice (in any case), with line breaks or unknown (the window's tests refuse
// the others). Plans the search keeps change nothing of its own (the same seed gives the same
// plan); saved as variants they come back with the figures the search gave them, under names that
// do not clash with those already taken. (Distinct, the written one first: kubb variant's test.)
TEST(Variants, NamesAreRefusedAndKeptPlansListWithTheirOwnFigures) {
    test::Blocks s;
    s.sample(60, 1);
    db::Connection c(s.path());
    EXPECT_TRUE(blocking::list(c, kY, 2009).empty()); // a file without the tables
    blocking::save(c, kY, 2009, " Dienstag ");
    blocking::save(c, kY, 2009, QString(60, 'x')); // just fits
    const QString breaks =
        "Der Name einer Variante darf keine Zeilenumbrüche oder Steuerzeichen enthalten.";
    const std::pair<std::function<void()>, QString> refused[] = {
        {[&] { blocking::save(c, kY, 2009, "DIENSTAG"); },
         "Eine Variante „Dienstag“ gibt es schon."},
        {[&] { blocking::save(c, kY, 2009, "Di\rMi"); }, breaks},
        {[&] { blocking::save(c, kY, 2009, "Di\nMi"); }, breaks},
        {[&] { blocking::apply(c, kY, 2009, "Montag"); }, "Eine Variante „Montag“ gibt es nicht."},
        {[&] { blocking::remove(c, kY, 2009, "Montag"); }, "Eine Variante „Montag“ gibt es nicht."},
    };
    for (const auto& [call, message] : refused)
        EXPECT_EQ(test::refusal(call), message);
    blocking::remove(c, kY, 2009, QString(60, 'X'));
    EXPECT_TRUE(blocking::list(c, kY, 2008).empty());

    const blocking::Model m = s.model();
    // Enough rounds for chains to offer the same plan again.
    blocking::Options o = test::options(20, 2, blocking::Mode::All, 9);
    const blocking::Result plain = blocking::block(m, o);
    o.keepPlans = 3;
    const blocking::Result r = blocking::block(m, o);
    EXPECT_EQ(std::tie(r.placement.rails, r.assignment, r.after),
              std::tie(plain.placement.rails, plain.assignment, plain.after));
    EXPECT_TRUE(plain.kept.empty());
    ASSERT_EQ(r.kept.size(), 3u);
    EXPECT_EQ(r.kept[0].placement.rails, r.placement.rails);
    EXPECT_NE(blocking::block(m, test::options(3, 2, blocking::Mode::All, 10)).assignment,
              plain.assignment);
    blocking::save(c, kY, 2009, "Automatisch 2 (01.03.2010 08:15)");
    EXPECT_EQ(
        blocking::saveKept(c, kY, m, r.kept, kNow),
        QStringList({"Automatisch 1 (01.03.2010 08:15)", "Automatisch 2 (01.03.2010 08:15) (2)",
                     "Automatisch 3 (01.03.2010 08:15)"}));
    const std::vector<blocking::VariantInfo> listed = blocking::list(c, kY, 2009);
    ASSERT_EQ(listed.size(), 5u);
    EXPECT_EQ(listed[0].name, "Dienstag");
    for (size_t i = 0; i < r.kept.size(); ++i) {
        blocking::Evaluation e = r.kept[i].evaluation;
        e.teacherClashBound = 0; // the search's bound, not the plan's
        EXPECT_EQ(listed[i + 2].evaluation, e) << i;
    }
}

} // namespace

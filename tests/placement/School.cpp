#include "School.h"

#include "db/Database.h"

namespace test {

namespace {

Row with(Row base, const Row& extra) {
    for (const auto& [name, value] : extra) {
        bool replaced = false;
        for (auto& field : base)
            if (field.first == name) {
                field.second = value;
                replaced = true;
            }
        if (!replaced)
            base.emplace_back(name, value);
    }
    return base;
}

} // namespace

School::School() : db(tmp.path("BB.MDB")) {
    db.schoolYear("2009/2010", kYear);
    db.schoolYear("2010/2011", kOtherYear);
    db.useIn(state, "2009/2010", kYear);
    subject(1, "3");
}

void School::rail(int id, const QString& bez, const QVariant& hours, const QString& year) {
    db.insert("block", {{"BL_ID", id},
                        {"BL_SCHJ", year},
                        {"BL_BEZ", bez},
                        {"BL_STD", hours},
                        {"BL_VFP_ID", db::sixKey(id)},
                        {"BL_FIX", "0"}});
}

QString School::course(int id, const QString& bez, const Row& extra) {
    const QString key = courseKey(id);
    db.insert("kurs", with({{"KS_ID", id},
                            {"KS_SCHJ", kYear},
                            {"KS_BEZ", bez},
                            {"KS_SORT", id},
                            {"KS_FA_ID1", subjectKey(1)},
                            {"KS_JGST", "12"},
                            {"KS_LKGK", "G"},
                            {"KS_VFP_ID", key}},
                           extra));
    return key;
}

void School::subject(int id, const QVariant& hoursGk) {
    db.insert("fachang", {{"FA_ID", id}, {"FA_STDGK", hoursGk}, {"FA_VFP_ID", subjectKey(id)}});
}

QString School::student(int id, const QString& fam, const QString& ruf, const QString& kursph,
                        const QString& parallelClass) {
    const QString key = studentKey(id);
    db.insert("kolleg", {{"KO_ID", id},
                         {"KO_KURSPH", kursph},
                         {"KO_FAMNAME", fam},
                         {"KO_RUFNAME", ruf.isEmpty() ? QVariant() : QVariant(ruf)},
                         {"KO_PARLLKL", parallelClass.isEmpty() ? QVariant() : parallelClass},
                         {"KO_VFP_ID", key}});
    return key;
}

qint64 School::choice(const QString& student, const QVariant& course12, const QVariant& course13) {
    return db.insert("belegung",
                     {{"BG_KO_ID", student}, {"BG_KS_ID_12", course12}, {"BG_KS_ID_13", course13}});
}

void School::choices(const QString& course, int n, const QString& student) {
    db::Connection c(db.path());
    db::Transaction tx(c);
    for (int i = 0; i < n; ++i)
        c.insert("belegung", {{"BG_KO_ID", student}, {"BG_KS_ID_12", course}});
    tx.commit();
}

void School::place(int railId, const QString& course) {
    db.insert("ckkurs", {{"CK_BL_ID", db::sixKey(railId)}, {"CK_KS_ID", course}, {"CK_FIX", "0"}});
}

placement::SetzenK& School::load() {
    window_ = std::make_unique<placement::SetzenK>(state, host);
    window_->Form_Load();
    window_->Bewerten(); // as the view asks once the window shows
    return *window_;
}

void School::selectCourses(const QStringList& names) {
    ui::ListBox& l = window_->LNKurse;
    for (int i = 0; i < l.count(); ++i)
        l.setSelected(i, names.contains(l.line(i).left(5).trimmed()));
    window_->LNKurse_Click();
}

} // namespace test

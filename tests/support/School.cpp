#include "support/School.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace test {

School::School() : db(tmp.path("BB.MDB")) {
    db.schoolYear("2009/2010", kYear);
    db.schoolYear("2010/2011", kOtherYear);
    db.useIn(state, "2009/2010", kYear);
    subject(1, "3");
}

School::~School() = default;

qint64 School::insert(const QString& table, const Row& values) {
    return c_ ? c_->insert(table, values) : db.insert(table, values);
}

void School::rail(int id, const QString& bez, const QVariant& hours, const QString& year,
                  const Row& extra) {
    insert("block", merged({{"BL_ID", id},
                            {"BL_SCHJ", year},
                            {"BL_BEZ", bez},
                            {"BL_STD", hours},
                            {"BL_VFP_ID", db::sixKey(id)},
                            {"BL_FIX", "0"}},
                           extra));
}

QString School::subject(int id, const QVariant& hoursGk, const Row& extra) {
    insert("fachang",
           merged({{"FA_ID", id}, {"FA_STDGK", hoursGk}, {"FA_VFP_ID", subjectKey(id)}}, extra));
    return subjectKey(id);
}

QString School::course(int id, const QString& bez, const Row& extra) {
    insert("kurs", merged({{"KS_ID", id},
                           {"KS_SCHJ", kYear},
                           {"KS_BEZ", bez},
                           {"KS_SORT", id},
                           {"KS_FA_ID1", subjectKey(1)},
                           {"KS_JGST", "12"},
                           {"KS_LKGK", "G"},
                           {"KS_VFP_ID", courseKey(id)}},
                          extra));
    return courseKey(id);
}

QString School::student(int id, const QString& fam, const QString& ruf, const QString& cohort,
                        const QString& parallelClass, const Row& extra) {
    const auto orNull = [](const QString& v) { return v.isEmpty() ? QVariant() : QVariant(v); };
    insert("kolleg", merged({{"KO_ID", id},
                             {"KO_KURSPH", cohort},
                             {"KO_FAMNAME", fam},
                             {"KO_RUFNAME", orNull(ruf)},
                             {"KO_PARLLKL", orNull(parallelClass)},
                             {"KO_VFP_ID", studentKey(id)}},
                            extra));
    return studentKey(id);
}

qint64 School::choice(const QString& student, const QVariant& course12, const QVariant& course13,
                      const Row& extra) {
    return insert(
        "belegung",
        merged({{"BG_KO_ID", student}, {"BG_KS_ID_12", course12}, {"BG_KS_ID_13", course13}},
               extra));
}

void School::choices(const QString& course, int n, const QString& student) {
    const bool own = !c_;
    if (own)
        batch();
    db::Statement rows = db::Statement::insert(*c_, "belegung", {"BG_KO_ID", "BG_KS_ID_12"});
    for (int i = 0; i < n; ++i)
        rows.run({student, course});
    if (own)
        commit();
}

void School::place(int railId, const QString& course, const Row& extra) {
    insert(
        "ckkurs",
        merged({{"CK_BL_ID", db::sixKey(railId)}, {"CK_KS_ID", course}, {"CK_FIX", "0"}}, extra));
}

void School::batch() {
    c_ = std::make_unique<db::Connection>(db.path());
    tx_ = std::make_unique<db::Transaction>(*c_);
}

void School::commit() {
    tx_->commit();
    tx_.reset();
    c_.reset();
}

QStringList School::railsOf(const QString& course) {
    return db.rows("SELECT b.BL_BEZ FROM ckkurs c JOIN block b ON b.BL_VFP_ID = c.CK_BL_ID "
                   "WHERE c.CK_KS_ID = ? ORDER BY b.BL_ID",
                   {course});
}

QString School::courseOf(qint64 bgId, const QString& field) {
    return db.scalar(QStringLiteral("SELECT %1 FROM belegung WHERE BG_ID = ?").arg(field), {bgId})
        .toString();
}

int School::size(const QString& course) {
    return db
        .scalar("SELECT count(*) FROM belegung WHERE BG_KS_ID_12 = ? OR BG_KS_ID_13 = ?",
                {course, course})
        .toInt();
}

} // namespace test

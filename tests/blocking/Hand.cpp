#include "Hand.h"

#include "blocking/Write.h"
#include "db/Database.h"

namespace test {

namespace {

const QString kYear = QStringLiteral("     1");

Row with(Row base, const Row& extra) {
    for (const auto& field : extra) {
        auto it = std::find_if(base.begin(), base.end(),
                               [&](const auto& f) { return f.first == field.first; });
        if (it != base.end())
            it->second = field.second;
        else
            base.push_back(field);
    }
    return base;
}

} // namespace

Hand::Hand() : db(tmp.path("BB.MDB")) {
    db.schoolYear("2009/2010", kYear);
}

void Hand::rail(int id, int hours) {
    db.insert("block", {{"BL_ID", id},
                        {"BL_SCHJ", kYear},
                        {"BL_BEZ", QStringLiteral("S%1").arg(id)},
                        {"BL_STD", hours},
                        {"BL_VFP_ID", db::sixKey(id)},
                        {"BL_FIX", "0"}});
}

void Hand::subject(int id, const QString& cohort) {
    db.insert("fachang", {{"FA_KURSPH", cohort}, {"FA_VFP_ID", subjectKey(id)}});
}

QString Hand::course(int id, const QString& name, int subject, int hours, const Row& extra) {
    db.insert("kurs", with({{"KS_ID", id},
                            {"KS_SCHJ", kYear},
                            {"KS_BEZ", name},
                            {"KS_SORT", id},
                            {"KS_FA_ID1", subjectKey(subject)},
                            {"KS_JGST", "11"},
                            {"KS_LKGK", "K"},
                            {"KS_STD", QString::number(hours)},
                            {"KS_VFP_ID", courseKey(id)}},
                           extra));
    return courseKey(id);
}

QString Hand::student(int id, const QString& cohort) {
    db.insert("kolleg", {{"KO_KURSPH", cohort},
                         {"KO_FAMNAME", QStringLiteral("Name%1").arg(id)},
                         {"KO_RUFNAME", QStringLiteral("Vor%1").arg(id)},
                         {"KO_VFP_ID", studentKey(id)}});
    return studentKey(id);
}

qint64 Hand::choice(int student, int subject, const QString& art, const QString& course,
                    const QString& cohort) {
    const QVariant c = course.isEmpty() ? QVariant() : QVariant(course);
    return db.insert("belegung", {{"BG_KO_ID", studentKey(student)},
                                  {cohort == "2009" ? "BG_KS_ID_12" : "BG_KS_ID_13", c},
                                  {"BG_FA_ID", subjectKey(subject)},
                                  {"BG_ART", art}});
}

void Hand::place(int rail, const QString& course, bool fixed) {
    db.insert("ckkurs", {{"CK_BL_ID", db::sixKey(rail)},
                         {"CK_KS_ID", course},
                         {"CK_VFP_ID", QString::number(rail)},
                         {"CK_FIX", fixed ? "1" : "0"}});
}

blocking::Model Hand::model(int cohort) {
    db::Connection c(db.path());
    return blocking::Model::load(c, {kYear, "2009/2010"}, cohort);
}

blocking::Result Hand::block(blocking::Mode mode, int cohort, long long rounds) {
    db::Connection c(db.path());
    const blocking::Model m = blocking::Model::load(c, {kYear, "2009/2010"}, cohort);
    blocking::Options o;
    o.mode = mode;
    o.threads = 2;
    o.rounds = rounds;
    const blocking::Result r = blocking::block(m, o);
    blocking::write(c, m, r.placement, r.assignment, std::nullopt);
    return r;
}

QStringList Hand::railsOf(const QString& course) {
    return db.rows("SELECT b.BL_BEZ FROM ckkurs c JOIN block b ON b.BL_VFP_ID = c.CK_BL_ID "
                   "WHERE c.CK_KS_ID = ? ORDER BY b.BL_ID",
                   {course});
}

QString Hand::courseOf(qint64 bgId, const QString& field) {
    return db.scalar(QStringLiteral("SELECT %1 FROM belegung WHERE BG_ID = ?").arg(field), {bgId})
        .toString();
}

int Hand::size(const QString& course) {
    return db
        .scalar("SELECT count(*) FROM belegung WHERE BG_KS_ID_12 = ? OR BG_KS_ID_13 = ?",
                {course, course})
        .toInt();
}

} // namespace test

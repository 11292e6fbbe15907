#include "PrintSchool.h"

#include "db/BlockDatabase.h"
#include "db/Statement.h"

#include <QFile>
#include <gtest/gtest.h>

namespace test {

PrintSchool::PrintSchool() {
    state.DatenPfad = tmp.dir();
    state.DatenDatei = QStringLiteral("BB.MDB");
    state.SchjBez = QStringLiteral("2009/2010");
    state.SchjID = kYear;
    db::createDatabase(path());
    c_ = std::make_unique<db::Connection>(path());
    tx_ = std::make_unique<db::Transaction>(*c_);
    c_->insert("schjahr", {{"SJ_SCHJ", "2009/2010"}, {"SJ_VFP_ID", kYear}});
}

void PrintSchool::rail(int id, const QString& bez, const QVariant& hours, const QString& year) {
    c_->insert("block", {{"BL_ID", id},
                         {"BL_SCHJ", year},
                         {"BL_BEZ", bez},
                         {"BL_STD", hours},
                         {"BL_VFP_ID", db::sixKey(id)}});
}

void PrintSchool::course(int id, const QString& bez) {
    c_->insert("kurs", {{"KS_SCHJ", kYear}, {"KS_BEZ", bez}, {"KS_VFP_ID", courseKey(id)}});
}

void PrintSchool::place(int railId, int courseId) {
    c_->insert("ckkurs", {{"CK_BL_ID", db::sixKey(railId)}, {"CK_KS_ID", courseKey(courseId)}});
}

void PrintSchool::student(int id, const QString& fam, const QVariant& ruf, const QString& cohort) {
    c_->insert("kolleg", {{"KO_KURSPH", cohort},
                          {"KO_FAMNAME", fam},
                          {"KO_RUFNAME", ruf},
                          {"KO_VFP_ID", studentKey(id)}});
}

void PrintSchool::choice(int studentId, int course12, int course13) {
    c_->insert("belegung", {{"BG_KO_ID", studentKey(studentId)},
                            {"BG_KS_ID_12", course12 ? courseKey(course12) : QVariant()},
                            {"BG_KS_ID_13", course13 ? courseKey(course13) : QVariant()}});
}

void PrintSchool::choices(int courseId, int n) {
    db::Statement rows = db::Statement::insert(*c_, "belegung", {"BG_KO_ID", "BG_KS_ID_12"});
    for (int i = 0; i < n; ++i)
        rows.run({"ZZZZZZ", courseKey(courseId)});
}

void PrintSchool::done() {
    tx_->commit();
    tx_.reset();
    c_.reset();
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2009, 5, 21), QTime(14, 3, 12)),
                              QFileDevice::FileModificationTime));
}

QStringList PrintSchool::headerLines(int n) const {
    return QStringList{"Schienenbildung:",
                       "Kollegiaten aus Datei : " + path(),
                       "Stand : 21.05.2009 14:03:12",
                       "",
                       "",
                       QString::fromUtf8("Kursestatistik über gesetze Kurse")}
        .mid(0, n);
}

QStringList PrintSchool::railHeader(int page, int pages) const {
    QStringList lines = headerLines(6);
    const QString number = QStringLiteral("Seite %1 von %2").arg(page).arg(pages);
    lines[0] = lines[0].leftJustified(70 - number.size()) + number;
    return lines;
}

QStringList padded(const QStringList& lines, int width) {
    QStringList out;
    for (const QString& l : lines)
        out << (l.isEmpty() ? l : l.leftJustified(width));
    return out;
}

} // namespace test

#include "ExportSchool.h"

#include "export/frmAKursPh.h"

namespace test {

std::function<void(ui::Window&)> choosePhase(const QString& phase) {
    return [phase](ui::Window& w) {
        auto& chooser = dynamic_cast<exporter::frmAKursPh&>(w);
        chooser.List1.setCurrent(static_cast<int>(chooser.List1.lines().indexOf(phase)));
        chooser.click("Command1");
    };
}

void ExportSchool::student(const QString& key, const QString& phase, const QVariant& fam,
                           const QVariant& ruf) {
    db.insert("kolleg",
              {{"KO_KURSPH", phase}, {"KO_FAMNAME", fam}, {"KO_RUFNAME", ruf}, {"KO_VFP_ID", key}});
}

void ExportSchool::choice(const QString& student, const QVariant& art, const QVariant& course12,
                          const QVariant& course13, const QVariant& subject) {
    db.insert("belegung", {{"BG_KO_ID", student},
                           {"BG_KS_ID_12", course12},
                           {"BG_KS_ID_13", course13},
                           {"BG_FA_ID", subject},
                           {"BG_ART", art}});
}

void ExportSchool::course(const QString& key, const QString& bez) {
    db.insert("kurs", {{"KS_SCHJ", "     3"}, {"KS_BEZ", bez}, {"KS_VFP_ID", key}});
}

void ExportSchool::rail(int id, const QString& year, const QVariant& bez, const QVariant& name,
                        const QVariant& sort, const QVariant& hours) {
    db.insert("block", {{"BL_ID", id},
                        {"BL_SCHJ", year},
                        {"BL_BEZ", bez},
                        {"BL_NAME", name},
                        {"BL_SORT", sort},
                        {"BL_STD", hours},
                        {"BL_VFP_ID", QString::number(id).rightJustified(6)}});
}

void ExportSchool::placed(const QVariant& rail, const QVariant& course, const QVariant& key) {
    db.insert("ckkurs", {{"CK_BL_ID", rail}, {"CK_KS_ID", course}, {"CK_VFP_ID", key}});
}

QByteArray crlf(const QByteArrayList& lines) {
    QByteArray out;
    for (const QByteArray& l : lines)
        out += l + "\r\n";
    return out;
}

QByteArrayList stars(int n) {
    QByteArrayList out;
    for (int i = 0; i < n; ++i)
        out << "*";
    return out;
}

QByteArrayList koRecord(const QByteArray& phase, const QByteArray& fam, const QByteArray& ruf) {
    return QByteArrayList{"*SYNC*", phase, "*", "*", "*", fam, "*", "*", "*", ruf} + stars(59);
}

QByteArrayList gkRecord(const QByteArray& key, const QByteArray& year12, const QByteArray& year13,
                        const QByteArray& subject, const QByteArray& art) {
    return QByteArrayList{"*SYNC*", key, year12, year13, subject, art} + stars(25);
}

} // namespace test

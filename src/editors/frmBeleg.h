#pragma once

#include "db/Courses.h"
#include "ui/ComboBox.h"
#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QString>
#include <array>
#include <optional>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}
namespace db {
class Connection;
}

namespace editors {

// "Belegungsdaten ": the course choices of one student at a time. The navigator offers the two
// cohorts of the school year and their students; a student's two Leistungskurs rows and up to
// thirteen Grundkurs rows show the subject, for Grundkurse the choice type, and the courses of
// year groups 12 and 13. Every change is written to belegung at once, one transaction per
// handler; there is no save step.
//
// For each shown row the window keeps the subject (and type) it had when the student was opened
// or last changed here: the handlers find the belegung row again by student, subject and type.
// Choices whose two course fields are both empty are not shown. What a picked subject or type
// becomes is decided in frmBelegChecks.h, the rows are written by frmBelegWrites.h; each handler
// works on one connection of its own, handed down.
class frmBeleg : public ui::Window {
    Q_OBJECT
public:
    frmBeleg(platform::RunState& s, ui::Host& host);

    static constexpr int kLkRows = 2;
    static constexpr int kGkRows = 13;
    // Width of the name in a LstNavigator line, before the student's key.
    static constexpr int kNameWidth = 52;

    // Captions.
    const QString Frame1 = QStringLiteral("Navigator");
    const QString Label8 = QStringLiteral("Kollegiatenjahrgang");
    const QString frameLK = QStringLiteral("Leistungskurse");
    const QString Label1 = QStringLiteral("Fach");
    const QString Label2 = QStringLiteral("Kurs 12 J");
    const QString Label3 = QStringLiteral("Kurs 13 J");
    const QString FrameGK = QStringLiteral("Grundkurse");
    const QString Label4 = QStringLiteral("Fach");
    const QString Label5 = QStringLiteral("Art");
    const QString Label6 = QStringLiteral("Kurs 12 J");
    const QString Label7 = QStringLiteral("Kurs 13 J");

    // Controls. Subject entries are the short name in 3 characters, a blank and FA_VFP_ID.
    ui::ComboBox CmbKolJg;
    ui::ListBox LstNavigator{false};
    std::array<ui::ComboBox, kLkRows> CmbFachLK;
    std::array<QString, 2 * kLkRows> lblKursLK; // 2·row for year 12, 2·row + 1 for year 13
    std::array<QString, kLkRows> lblLK;         // never written
    std::array<ui::ComboBox, kGkRows> CmbFachGK;
    std::array<ui::ComboBox, kGkRows> CmbBlGK;
    std::array<QString, 2 * kGkRows> lblKursKG; // row for year 12, 13 + row for year 13

    void Form_Load();
    void CmbKolJg_Click();
    void FNavigatorLst();
    void LstNavigator_Click();
    void OeffneDaten();
    void UeberPrBel();
    // Rows are the controls' indexes, counted from 0.
    void CmbFachLK_Click(int row);
    void CmbFachGK_Click(int row);
    void CmbBlGK_Click(int row);

    // Refills a Grundkurs row's choice types from its subject's FA_BELEG.
    void UpCombBelart(db::Connection& c, int row);

    // The student shown ("" for none) and his year group ("12" or "13").
    const QString& student() const { return student_; }
    const QString& yearGroup() const { return yg_; }
    bool filling() const { return filling_ > 0; }

private:
    struct Kept {
        QString subject;
        QString art;
        qint64 bgId = 0; // the row shown, for comparing the boxes with what is stored
    };
    void clearStudent();
    // FNavigatorLst, OeffneDaten and UeberPrBel on the command's connection.
    void fillNavigator(db::Connection& c);
    void openStudent(db::Connection& c);
    void reportUnwritten(db::Connection& c);
    // Shows a changed choice's course in the row's two labels.
    void showCourse(const std::optional<db::courses::Candidate>& course, QString& label12,
                    QString& label13);
    // Refuses a subject chosen in a box: the message, and the box shows the row's subject again.
    void refuse(const QString& message, ui::ComboBox& box, const QString& subject);
    // Refuses a subject for which no course fits, as the pre-assignment lists such a choice:
    // the choice keeps its subject and courses, so that it stays in the window and in the export.
    void refuseCourseless(db::Connection& c, const QString& subject, ui::ComboBox& box,
                          const QString& kept);
    // AendernKurs's field for the student's year group.
    int yearField() const;
    void setBack(ui::ComboBox& box, const QString& subject);

    platform::RunState& s_;
    ui::Host& host_;
    QString student_;
    QString yg_;
    std::array<Kept, kLkRows> lk_;
    std::array<Kept, kGkRows> gk_;
    int gkShown_ = 0;
    int filling_ = 0;
};

// "&Ändern Belegung": shows the course-choice editor modally.
void showBeleg(platform::RunState& s, ui::Host& host);

} // namespace editors

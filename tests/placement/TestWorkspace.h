#pragma once

#include "blocking/Evaluation.h"
#include "blocking/Variants.h"
#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "support/School.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace test {

inline const QString kChoiceRows =
    QStringLiteral("SELECT BG_ID, BG_KO_ID, BG_KS_ID_12, BG_KS_ID_13 FROM belegung ORDER BY BG_ID");
// The refusal of every command while a rail is cut and held.
inline const QString kHeld = QStringLiteral("Diese Schiene ist ausgeschnitten!\r\nFügen Sie sie "
                                            "zuerst mit Bearbeiten - einfügen wieder ein.");

// The question on closing the workspace.
QString saveQuestion(const QString& path);

// The school with the placement window on it, and what the window shows.
class Workspace : public School {
public:
    // The window, loaded.
    placement::SetzenK& load();
    placement::SetzenK& w() { return *window_; }
    ui::Grid& grid() { return window_->grdSchienen; }
    // A connection to the school's file, as a command of the window opens one.
    db::Connection& connection() {
        if (!connection_)
            connection_.emplace(db.path());
        return *connection_;
    }
    // What the file holds for year group 12 of the school year, read afresh: its evaluation and
    // its variants.
    blocking::Evaluation evaluation();
    std::vector<blocking::VariantInfo> variants();
    // Rails S1..Sn of these hours.
    void rails(int n, const QVariant& hours);
    // A course on a subject of its own (subject id = course id + 10, 3 hours).
    QString single(int id, const QString& bez, Row extra = {});
    // A choice of year group 12 with its subject, as the search reads it.
    qint64 wahl(int student, int subject, const QVariant& course);
    // Selects the LNKurse lines of these course names (characters 1-5) and clicks the list.
    void selectCourses(const QStringList& names);
    // Selects the LSchueler lines of these choice rows; the line of a choice row.
    void selectStudents(const std::vector<qint64>& bgIds);
    int lineOf(qint64 bgId);
    void selectRails(int c1, int c2);
    // "Schiene auffüllen" for the course onto grid columns c1..c2.
    void fill(const QString& course, int c1, int c2);
    // The texts of a grid column top down, and every column joined by "|".
    QStringList column(int c);
    QStringList columns();
    // The student count shown in a rail's header.
    QString count(int col) { return placement::RailHeader::countText(grid().TextMatrix(0, col)); }
    // Every choice row: BG_ID, student, the courses of year groups 12 and 13.
    QStringList choiceRows() { return db.rows(kChoiceRows); }
    // The whole state a command may change: the grid's columns, LNKurse and the choice rows.
    QStringList snapshot() { return columns() + w().LNKurse.lines() + choiceRows(); }
    // Closes the window answering the question on saving, then the script's further prompts;
    // whether it closed.
    bool close(ui::Answer answer = ui::Answer::Yes,
               const std::function<void(ScriptedHost&)>& then = {});

private:
    std::unique_ptr<placement::SetzenK> window_;
    std::optional<db::Connection> connection_;
};

} // namespace test

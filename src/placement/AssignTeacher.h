#pragma once

#include "placement/PlanCommand.h"

#include <QString>

namespace db {
class Connection;
}
namespace ui {
class Host;
}

namespace placement {

class Workspace;

// "Lehrer zuweisen ...": gives a course of the workspace its teacher, asked by his short name
// (empty: none), and keeps the change in the history. The teacher is written to KS_LE_ID at
// once (the file holds no other copy of it): the evaluation reads the courses again and the
// grid's clashes follow. Undoing writes back the teacher before, and asks where another program
// has given the course another teacher since.
class AssignTeacher : public PlanCommand {
public:
    AssignTeacher(Workspace& ws, ui::Host& host, QString courseKey);

    QString caption() const override { return QStringLiteral("Lehrer zuweisen"); }
    Effect effect() const override { return Effect::Teachers; }
    void run(db::Connection& c) override;
    bool changed() const override { return changed_; }
    bool undo(db::Connection& c) override { return put(c, after_, before_); }
    bool redo(db::Connection& c) override { return put(c, before_, after_); }

private:
    // The teacher's key for the short name asked; false (with a message) for an unknown one.
    bool keyOf(db::Connection& c, const QString& kuerzel, QString& key);
    // Writes `to` where the course still has `from`, else asks first; then the workspace shows it.
    bool put(db::Connection& c, const QString& from, const QString& to);
    void show(db::Connection& c);

    Workspace& ws_;
    ui::Host& host_;
    QString course_;
    QString before_; // KS_LE_ID before and after, as stored ("" for none)
    QString after_;
    bool changed_ = false;
};

} // namespace placement

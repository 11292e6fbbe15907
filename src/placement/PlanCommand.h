#pragma once

#include "placement/FileChanges.h"
#include "placement/Plan.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace db {
class Connection;
}
namespace ui {
class Host;
}

namespace placement {

class Workspace;

// What a command may change, for the refresh after it: nothing, the plan, the students' courses
// (and with them the plan's counts), the courses themselves; Auto: students and plan at once, by
// a command that writes the cohort's whole plan; Teachers: the courses' teachers.
enum class Effect { None, Placement, Students, Courses, Auto, Teachers };

// A command of the workspace that changes the plan or the students' courses, with its way
// back: it runs once, then the history undoes and redoes it. Undoing writes back only what the
// command wrote, and asks where another program has written those rows since.
class PlanCommand {
public:
    virtual ~PlanCommand() = default;
    // Its name, as the menu shows it: "Rückgängig: Kurs zuweisen".
    virtual QString caption() const = 0;
    virtual Effect effect() const = 0;
    // Runs the command once.
    virtual void run(db::Connection& c) = 0;
    // Whether running it changed anything, also when it failed midway: a command that changed
    // nothing (refused, cancelled) stays out of the history.
    virtual bool changed() const = 0;
    // False when it could not be taken back or done again (the planner kept another program's
    // writes); then nothing changed.
    virtual bool undo(db::Connection& c) = 0;
    virtual bool redo(db::Connection& c) = 0;
};

// A command of the planner's hand (FillRail, RemoveCollisions, AssignCourse, RailEditing): the
// plan before and after it and what it wrote into the file are kept; undo and redo put back one
// side, the file's rows first.
class RecordedCommand : public PlanCommand {
public:
    using Body = std::function<void(db::Connection&)>;
    RecordedCommand(Workspace& ws, ui::Host& host, QString caption, Effect effect, Body body);

    QString caption() const override { return caption_; }
    Effect effect() const override { return effect_; }
    void run(db::Connection& c) override;
    bool changed() const override { return !(before_ == after_) || !written_.empty(); }
    bool undo(db::Connection& c) override;
    bool redo(db::Connection& c) override;

private:
    bool restore(db::Connection& c, bool undo);
    Workspace& ws_;
    ui::Host& host_;
    QString caption_;
    Effect effect_;
    Body body_;
    Plan before_;
    Plan after_;
    FileChanges written_;
};

// The commands done and undone in the open workspace, the latest last; the oldest go beyond
// kMostKept.
class History {
public:
    static constexpr size_t kMostKept = 200;
    // Runs the command and keeps it when it changed anything, also when it failed midway.
    void run(db::Connection& c, std::unique_ptr<PlanCommand> command);
    void push(std::unique_ptr<PlanCommand> command);
    PlanCommand* toUndo() const { return done_.empty() ? nullptr : done_.back().get(); }
    PlanCommand* toRedo() const { return undone_.empty() ? nullptr : undone_.back().get(); }
    void undone();
    void redone();
    void clear();

private:
    std::vector<std::unique_ptr<PlanCommand>> done_;
    std::vector<std::unique_ptr<PlanCommand>> undone_;
};

} // namespace placement

#include "placement/PlanCommand.h"

#include "placement/Workspace.h"

#include <utility>

namespace placement {

RecordedCommand::RecordedCommand(Workspace& ws, ui::Host& host, QString caption, Effect effect,
                                 Body body)
    : ws_(ws), host_(host), caption_(std::move(caption)), effect_(effect), body_(std::move(body)) {}

void RecordedCommand::run(db::Connection& c) {
    // The body runs once: what it refers to lives no longer than the command's scope.
    const Body body = std::exchange(body_, {});
    before_ = ws_.plan;
    after_ = ws_.plan;
    ws_.recording = &written_;
    try {
        body(c);
    } catch (...) {
        ws_.recording = nullptr;
        after_ = ws_.plan;
        written_.keepWritten(c);
        throw;
    }
    ws_.recording = nullptr;
    after_ = ws_.plan;
}

bool RecordedCommand::undo(db::Connection& c) {
    return restore(c, true);
}

bool RecordedCommand::redo(db::Connection& c) {
    return restore(c, false);
}

bool RecordedCommand::restore(db::Connection& c, bool undo) {
    if (!written_.empty() && !written_.writeBack(c, host_, undo))
        return false;
    ws_.showPlan(undo ? before_ : after_);
    if (written_.touchesStudents())
        ws_.studentsChanged(c);
    return true;
}

void History::run(db::Connection& c, std::unique_ptr<PlanCommand> command) {
    try {
        command->run(c);
    } catch (...) {
        if (command->changed())
            push(std::move(command));
        throw;
    }
    if (command->changed())
        push(std::move(command));
}

void History::push(std::unique_ptr<PlanCommand> command) {
    done_.push_back(std::move(command));
    undone_.clear();
    // An automatic plan keeps its cohort's model: a long day's work keeps the latest steps.
    if (done_.size() > kMostKept)
        done_.erase(done_.begin());
}

void History::undone() {
    if (done_.empty())
        return;
    undone_.push_back(std::move(done_.back()));
    done_.pop_back();
}

void History::redone() {
    if (undone_.empty())
        return;
    done_.push_back(std::move(undone_.back()));
    undone_.pop_back();
}

void History::clear() {
    done_.clear();
    undone_.clear();
}

} // namespace placement

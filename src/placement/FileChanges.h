#pragma once

#include <QString>
#include <QVariant>
#include <vector>

namespace db {
class Connection;
}
namespace ui {
class Host;
}

namespace placement {

// What a command of the workspace wrote into the file besides the plan, to take it back and to
// do it again: the course fields of choice rows (a student moved to another course) and the
// hours of rails, each field with what it held before the command and after it.
class FileChanges {
public:
    enum class Field { Course12, Course13, RailHours };
    struct Change {
        Field field;
        qint64 row = 0; // BG_ID or BL_ID
        QVariant before;
        QVariant after;
    };

    // Writes a course into the year group's field of a choice row and notes it.
    void setCourse(db::Connection& c, qint64 bgId, int yearGroup, const QString& courseKey);
    // Notes a change written elsewhere; a field changed twice keeps its first value before.
    void note(const Change& change);
    bool empty() const { return changes_.empty(); }
    // After a failure: keeps only the changes the file holds (a transaction that rolled back
    // took its writes with it); none when the file cannot be read.
    void keepWritten(db::Connection& c) noexcept;
    bool touchesStudents() const;

    // Puts back the values before (undo) or after (redo) in one transaction, while every field
    // holds what the command, or its undoing, left there. Where another program has written
    // one of them since, asks whether to overwrite it, as saving does, without holding the file
    // locked meanwhile. False when the planner keeps the other program's values.
    bool writeBack(db::Connection& c, ui::Host& host, bool undo) const;

private:
    QVariant current(db::Connection& c, const Change& ch) const;
    void write(db::Connection& c, const Change& ch, const QVariant& value) const;
    std::vector<Change> changes_;
};

} // namespace placement

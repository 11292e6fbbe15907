#include "placement/FileChanges.h"

#include "db/Choices.h"
#include "db/Database.h"
#include "db/Rails.h"
#include "ui/Host.h"

#include <algorithm>

namespace placement {

namespace {

const QString kChangedMeanwhile = QStringLiteral(
    "Belegungen oder Schienen wurden inzwischen von einem anderen Programm geändert. Trotzdem "
    "überschreiben?");

// NULL and "" differ, as they do in the table; numbers and their text are one value.
bool same(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.toString() == b.toString();
}

int yearGroupOf(FileChanges::Field f) {
    return f == FileChanges::Field::Course12 ? 12 : 13;
}

} // namespace

void FileChanges::setCourse(db::Connection& c, qint64 bgId, int yearGroup,
                            const QString& courseKey) {
    const QVariant before = db::choices::courseIn(c, bgId, yearGroup);
    db::choices::setCourse(c, bgId, yearGroup, courseKey);
    note({yearGroup == 12 ? Field::Course12 : Field::Course13, bgId, before, courseKey});
}

void FileChanges::note(const Change& change) {
    for (Change& ch : changes_)
        if (ch.field == change.field && ch.row == change.row) {
            ch.after = change.after;
            return;
        }
    changes_.push_back(change);
}

void FileChanges::keepWritten(db::Connection& c) noexcept {
    try {
        std::erase_if(changes_, [&](const Change& ch) { return !same(current(c, ch), ch.after); });
    } catch (const std::exception&) {
        changes_.clear();
    }
}

bool FileChanges::touchesStudents() const {
    for (const Change& ch : changes_)
        if (ch.field != Field::RailHours)
            return true;
    return false;
}

QVariant FileChanges::current(db::Connection& c, const Change& ch) const {
    if (ch.field == Field::RailHours)
        return db::rails::hoursOf(c, ch.row);
    return db::choices::courseIn(c, ch.row, yearGroupOf(ch.field));
}

void FileChanges::write(db::Connection& c, const Change& ch, const QVariant& value) const {
    if (ch.field == Field::RailHours)
        db::rails::putHours(c, ch.row, value);
    else
        db::choices::setCourse(c, ch.row, yearGroupOf(ch.field), value);
}

bool FileChanges::writeBack(db::Connection& c, ui::Host& host, bool undo) const {
    // What another program wrote, as seen when the planner agreed to overwrite it.
    std::vector<QVariant> confirmed;
    for (;;) {
        std::vector<QVariant> now;
        {
            db::Transaction tx(c);
            bool unchanged = true;
            for (const Change& ch : changes_) {
                now.push_back(current(c, ch));
                unchanged = unchanged && same(now.back(), undo ? ch.after : ch.before);
            }
            const bool agreed = now.size() == confirmed.size() &&
                                std::equal(now.begin(), now.end(), confirmed.begin(), same);
            if (unchanged || agreed) {
                for (auto ch = changes_.rbegin(); ch != changes_.rend(); ++ch)
                    write(c, *ch, undo ? ch->before : ch->after);
                tx.commit();
                return true;
            }
        }
        if (host.message({kChangedMeanwhile, QString(), ui::Icon::Question, ui::Buttons::YesNo, 1,
                          std::nullopt}) != ui::Answer::Yes)
            return false;
        confirmed = std::move(now);
    }
}

} // namespace placement

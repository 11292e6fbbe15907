#pragma once

namespace db {
class Connection;
}
namespace platform {
struct RunState;
}
namespace ui {
class Host;
}

namespace placement {

class Workspace;

// Rail and grid editing: the commands that change the grid itself.
class RailEditing {
public:
    RailEditing(db::Connection& c, Workspace& ws, ui::Host& host);

    // "Stunde ändern" (also on double-click): new hours (1-6) for the current rail while it
    // holds no course.
    void changeHours();
    // "<": takes the selected entries of the current rail back into LNKurse, merged with what
    // is left of the same course there.
    void toList();
    // "&ausschneiden" / "&einfügen": takes the hours, count and courses off the current rail and
    // puts them onto another; the rails in between shift by one. Rail names and keys stay.
    void cut();
    void paste();
    // "fixieren / lösen": marks the entries selected in the grid fixed; when all of them are
    // fixed already, it loosens them.
    void toggleFixed();
    // "leeren Kurs löschen": deletes the first course selected in LNKurse when nobody chose it.
    void deleteEmptyCourse();

private:
    db::Connection& c_;
    Workspace& ws_;
    ui::Host& host_;
    platform::RunState& s_;
};

} // namespace placement

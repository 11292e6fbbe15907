#pragma once

namespace db {
class Connection;
}
namespace ui {
class Host;
}

namespace placement {

class Workspace;

// "Kurs zuweisen": moves the students selected in LSchueler into a parallel course still in
// LNKurse, chosen in frmK once per course of the selection; the moves chosen before a cancel are
// kept.
class AssignCourse {
public:
    AssignCourse(db::Connection& c, Workspace& ws, ui::Host& host);
    void run();

private:
    db::Connection& c_;
    Workspace& ws_;
    ui::Host& host_;
};

} // namespace placement

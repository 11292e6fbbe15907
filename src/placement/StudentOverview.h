#pragma once

namespace db {
class Connection;
}
namespace ui {
class Host;
}

namespace placement {

class Workspace;

// "Schüler mit Kursen": the students of LSchueler with their courses in frmFMld.
class StudentOverview {
public:
    StudentOverview(db::Connection& c, Workspace& ws, ui::Host& host);
    void run();

private:
    db::Connection& c_;
    Workspace& ws_;
    ui::Host& host_;
};

} // namespace placement

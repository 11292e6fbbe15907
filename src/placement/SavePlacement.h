#pragma once

#include "ui/Window.h"

#include <QByteArray>
#include <QString>
#include <optional>

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

// A fingerprint of every row of ckkurs, to notice that another program has saved meanwhile.
QByteArray ckkursChecksum(db::Connection& c);

// Saving the placement when the workspace closes. The planner chooses the file while the command
// runs (this one or a copy under another name), so the command opens its connection itself, on
// the file chosen.
class SavePlacement {
public:
    SavePlacement(Workspace& ws, ui::Host& host);

    // Closing the window: asks whether to save the grid into this file or into a copy under
    // another name. A save that fails shows its cause and keeps the window open (the planner
    // retries or chooses another file); so does "Nein" to the question whether to overwrite what
    // another program saved meanwhile. Once the window may close, later calls do nothing, so the
    // view and the caller may both call it.
    [[nodiscard]] ui::Closing close();
    // Writes the grid into ckkurs of the connection's database in one transaction: the rows of
    // rails of other school years stay, the others are replaced by the grid's entries (CK_FIX
    // "1" for a fixed one, "0" otherwise); each rail's hours as the grid shows them go into
    // BL_STD.
    void SchrCkkurs(db::Connection& c);
    void SchrCkkurs();
    // Lets the user choose another database file for a copy; no value when cancelled. The
    // current file, under whatever name, is refused; an existing file is replaced only when the
    // user agrees.
    std::optional<QString> NeuBB();

private:
    ui::Closing saveHere();
    ui::Closing saveElsewhere();

    Workspace& ws_;
    ui::Host& host_;
    platform::RunState& s_;
};

} // namespace placement

#pragma once

#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QString>

namespace ui {
class Host;
}

namespace platform {
struct RunState;
}

namespace app {

using platform::RunState;

// True when DatenPfad can be listed.
bool DatenPfadOK(const RunState& s);

// Whether the database can be worked with. Every answer but Ok has shown its message: no school
// year, not a block-formation file, or damaged (the engine's cause, critical).
enum class BBCheck { Ok, NoData, NotABlockFile, Damaged };
[[nodiscard]] BBCheck TestBBOk(const RunState& s, ui::Host& host);

// The data-file dialog: lets the user choose the database, writes the pointer file into
// pointerDir and sets DatenPfad/DatenDatei. True when a file was chosen; on cancel nothing
// changes.
[[nodiscard]] bool dataFileDialog(RunState& s, ui::Host& host, const QString& pointerDir,
                                  const QString& initialDir);

// The message shown when start-up leads into the import.
void showM1(ui::Host& host);

// "TCLASSK fehlt!": the pointer file is missing; the user looks for a database or imports anew.
// Label1 carries the pointer directory in and, empty, the wish to import out. Its four buttons
// are its commands.
class frmHinwFehlt : public ui::Window {
    Q_OBJECT
public:
    frmHinwFehlt(RunState& s, ui::Host& host);

    const QString lblHinweis =
        QStringLiteral("Hinweis auf eine bestehende Kurs- und Blockbildungsdatei fehlt!.");
    QString Label1;

    void cmdSeek_Click();
    void cmdImport_Click();
    void cmdHilfe_Click();
    void cmdAbbruch_Click();
    // The close box: the window is gone, so the caller finds no pointer directory and imports.
    void Form_Unload();

private:
    RunState& s_;
    ui::Host& host_;
};

} // namespace app

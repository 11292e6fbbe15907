#pragma once

#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QString>

namespace ui {
class Host;
}

namespace exporter {

// "Auswahl der Kursphase": the export's choice of the cohort. List1 offers the course phases;
// the hidden Label1 hands the chosen one back, "" when the user cancelled. Closing the window by
// its close box counts as "&Abbrechen".
class frmAKursPh : public ui::Window {
    Q_OBJECT
public:
    explicit frmAKursPh(ui::Host& host);

    ui::ListBox List1{false};
    QString Label1;

    // "&Ok": the selected line into Label1; with none selected it says so and stays open.
    void Command1_Click();
    // "&Abbrechen": Label1 cleared.
    void Command2_Click();
    // Closed other than by its buttons.
    void Form_Unload();

private:
    ui::Host& host_;
    bool done_ = false;
};

} // namespace exporter

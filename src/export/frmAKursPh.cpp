#include "export/frmAKursPh.h"

#include "ui/Host.h"

namespace exporter {

frmAKursPh::frmAKursPh(ui::Host& host)
    : ui::Window(QStringLiteral("frmAKursPh"), QStringLiteral("Auswahl der Kursphase")),
      host_(host) {
    setCommands({
        {QStringLiteral("Command1"), QStringLiteral("&Ok"), {}, true, [this] { Command1_Click(); }},
        {QStringLiteral("Command2"),
         QStringLiteral("&Abbrechen"),
         {},
         true,
         [this] { Command2_Click(); }},
    });
}

void frmAKursPh::Command1_Click() {
    const std::vector<int> selected = List1.selectedRows();
    if (selected.empty()) {
        ui::tell(host_, QStringLiteral("Keine Kursphase ausgewählt!"));
        return;
    }
    Label1 = List1.line(selected.front());
    done_ = true;
    host_.hide(*this);
}

void frmAKursPh::Command2_Click() {
    Label1.clear();
    done_ = true;
    host_.hide(*this);
}

void frmAKursPh::Form_Unload() {
    if (!done_)
        Label1.clear();
    done_ = true;
}

} // namespace exporter

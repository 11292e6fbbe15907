#include "placement/frmK.h"

#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "ui/Host.h"

namespace placement {

frmK::frmK(Workspace& caller, ui::Host& host)
    : ui::Window(QStringLiteral("frmK"), QStringLiteral("Kursauswahl")), caller_(caller),
      host_(host) {
    setCommands(
        {{QStringLiteral("cmdOK"), QStringLiteral("&Ok"), {}, true, [this] { cmdOK_Click(); }},
         {QStringLiteral("cmdCancel"), QStringLiteral("&Abbruch"), {}, true, [this] {
              cmdCancel_Click();
          }}});
}

void frmK::cmdOK_Click() {
    const std::vector<int> selected = lstK.selectedRows();
    if (selected.empty()) {
        ui::tell(host_, QStringLiteral("Kein Kurs ausgewählt"), ui::Icon::Exclamation);
        return;
    }
    unload(keys.value(selected.front()));
}

void frmK::cmdCancel_Click() {
    unload(QString());
}

void frmK::Form_Unload() {
    if (!unloaded_)
        unload(QString());
}

void frmK::unload(const QString& result) {
    caller_.lblNKurs = result;
    unloaded_ = true;
    host_.hide(*this);
}

} // namespace placement

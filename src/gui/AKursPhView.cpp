#include "gui/AKursPhView.h"

#include "export/frmAKursPh.h"
#include "gui/CommandButtons.h"
#include "gui/ListBoxView.h"
#include "gui/QtHost.h"
#include "ui/Command.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

AKursPhView::AKursPhView(exporter::frmAKursPh& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    auto* layout = new QVBoxLayout(this);
    auto* list = new ListBoxView(w_.List1, this);
    list->setObjectName(QStringLiteral("List1"));
    layout->addWidget(list, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    bool first = true;
    for (QPushButton* button : commandButtons(w_, host_, this)) {
        button->setDefault(first);
        button->setAutoDefault(first);
        first = false;
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    connect(list, &QListView::doubleClicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.click(QStringLiteral("Command1")); }); });
    connect(&w_, &ui::Window::changed, this, &AKursPhView::refresh);
    refresh();
    resize(260, 170);
}

void AKursPhView::refresh() {
    setWindowTitle(w_.caption());
    showEnabled(w_, this);
}

void AKursPhView::reject() {
    ui::runCommand(host_, [&]() { w_.Form_Unload(); });
    QDialog::reject();
}

} // namespace gui

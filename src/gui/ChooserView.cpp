#include "gui/ChooserView.h"

#include "gui/CommandButtons.h"
#include "gui/ListBoxView.h"
#include "gui/QtHost.h"
#include "placement/frmK.h"
#include "ui/Command.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

ChooserView::ChooserView(placement::frmK& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);

    auto* labels = new QGridLayout;
    auto* label1 = new QLabel(w_.Label1, this);
    label1->setObjectName(QStringLiteral("Label1"));
    lblK_ = new QLabel(this);
    lblK_->setObjectName(QStringLiteral("lblK"));
    auto* label2 = new QLabel(w_.Label2, this);
    label2->setObjectName(QStringLiteral("Label2"));
    lblKi_ = new QLabel(this);
    lblKi_->setObjectName(QStringLiteral("lblKi"));
    labels->addWidget(label1, 0, 0);
    labels->addWidget(lblK_, 0, 1);
    labels->addWidget(label2, 1, 0);
    labels->addWidget(lblKi_, 1, 1);
    labels->setColumnStretch(1, 1);
    layout->addLayout(labels);

    auto* list = new ListBoxView(w_.lstK, this);
    list->setObjectName(QStringLiteral("lstK"));
    layout->addWidget(list, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : commandButtons(w_, host_, this)) {
        // "&Ok" is the default button.
        b->setDefault(b->objectName() == QLatin1String("cmdOK"));
        b->setAutoDefault(b->isDefault());
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    connect(list, &QListView::doubleClicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.cmdOK_Click(); }); });
    connect(&w_, &ui::Window::changed, this, &ChooserView::refresh);
    refresh();
    resize(320, 260);
}

void ChooserView::refresh() {
    setWindowTitle(w_.caption());
    lblK_->setText(w_.lblK);
    lblKi_->setText(w_.lblKi);
}

void ChooserView::reject() {
    ui::runCommand(host_, [&]() { w_.Form_Unload(); });
    QDialog::reject();
}

} // namespace gui

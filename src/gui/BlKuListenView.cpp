#include "gui/BlKuListenView.h"

#include "gui/ComboBoxView.h"
#include "gui/CommandButtons.h"
#include "gui/ListBoxView.h"
#include "gui/QtHost.h"
#include "printing/frmBlKuListen.h"
#include "ui/Command.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace gui {

BlKuListenView::BlKuListenView(printing::frmBlKuListen& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    auto* layout = new QGridLayout(this);
    auto* label1 = new QLabel(w_.Label1, this);
    QFont bold = label1->font();
    bold.setBold(true);
    label1->setFont(bold);
    layout->addWidget(label1, 0, 0, 1, 2);

    layout->addWidget(new QLabel(w_.Label2, this), 1, 0);
    auto* cohorts = new ComboBoxView(w_.cmbKollJahrg, this);
    cohorts->setObjectName(QStringLiteral("cmbKollJahrg"));
    layout->addWidget(cohorts, 2, 0);

    layout->addWidget(new QLabel(w_.Label3, this), 1, 1);
    auto* rails = new ListBoxView(w_.lstBlock, this);
    rails->setObjectName(QStringLiteral("lstBlock"));
    layout->addWidget(rails, 2, 1, 3, 1);

    auto* frame = new QGroupBox(w_.Frame1, this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* options = new QVBoxLayout(frame);
    optHoch_ = new QRadioButton(w_.optHochCaption, frame);
    optHoch_->setObjectName(QStringLiteral("optHoch"));
    optQuer_ = new QRadioButton(w_.OptQuerCaption, frame);
    optQuer_->setObjectName(QStringLiteral("OptQuer"));
    options->addWidget(optHoch_);
    options->addWidget(optQuer_);
    layout->addWidget(frame, 3, 0);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : commandButtons(w_, host_, this))
        buttons->addWidget(button);
    layout->addLayout(buttons, 5, 0, 1, 2);
    layout->setRowStretch(4, 1);
    layout->setColumnStretch(1, 1);

    connect(cohorts, &ComboBoxView::clicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.cmbKollJahrg_Click(); }); });
    connect(optHoch_, &QRadioButton::clicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.optHoch_Click(); }); });
    connect(optQuer_, &QRadioButton::clicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.OptQuer_Click(); }); });
    connect(&w_, &ui::Window::changed, this, &BlKuListenView::refresh);
    refresh();
    resize(560, 380);
}

void BlKuListenView::refresh() {
    setWindowTitle(w_.caption());
    optHoch_->setChecked(w_.optHoch);
    optQuer_->setChecked(w_.OptQuer);
    showEnabled(w_, this);
}

} // namespace gui

#include "gui/RegelnView.h"

#include "gui/ComboBoxView.h"
#include "gui/CommandButtons.h"
#include "gui/ListBoxView.h"
#include "gui/QtHost.h"
#include "placement/frmRegeln.h"
#include "ui/Command.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

namespace {

QLabel* label(const QString& text, const char* name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

RegelnView::RegelnView(placement::frmRegeln& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label(w_.Label1, "Label1", this));
    auto* rules = new ListBoxView(w_.lstRegeln, this);
    rules->setObjectName(QStringLiteral("lstRegeln"));
    layout->addWidget(rules, 2);

    auto* kind = new QHBoxLayout;
    kind->addWidget(label(w_.Label2, "Label2", this));
    auto* combo = new ComboBoxView(w_.CmbArt, this);
    combo->setObjectName(QStringLiteral("CmbArt"));
    kind->addWidget(combo, 1);
    layout->addLayout(kind);

    auto* args = new QHBoxLayout;
    auto* first = new QVBoxLayout;
    lblErste_ = label({}, "lblErste", this);
    first->addWidget(lblErste_);
    auto* firstList = new ListBoxView(w_.lstErste, this);
    firstList->setObjectName(QStringLiteral("lstErste"));
    first->addWidget(firstList);
    args->addLayout(first, 1);
    zweite_ = new QWidget(this);
    auto* second = new QVBoxLayout(zweite_);
    second->setContentsMargins(0, 0, 0, 0);
    lblZweite_ = label({}, "lblZweite", zweite_);
    second->addWidget(lblZweite_);
    auto* secondList = new ListBoxView(w_.lstZweite, zweite_);
    secondList->setObjectName(QStringLiteral("lstZweite"));
    second->addWidget(secondList);
    args->addWidget(zweite_, 1);
    layout->addLayout(args, 3);

    layout->addLayout(commandRow(w_, host_, this));

    connect(combo, &ComboBoxView::clicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.CmbArt_Click(); }); });
    connect(&w_, &ui::Window::changed, this, &RegelnView::refresh);
    refresh();
    resize(620, 480);
}

void RegelnView::refresh() {
    setWindowTitle(w_.caption());
    lblErste_->setText(w_.lblErste);
    lblZweite_->setText(w_.lblZweite);
    zweite_->setVisible(!w_.lblZweite.isEmpty());
    showEnabled(w_, this);
}

void RegelnView::reject() {
    ui::runCommand(host_, [&]() { w_.Form_Unload(); });
    QDialog::reject();
}

} // namespace gui

#include "gui/PlanungView.h"

#include "gui/ComboBoxView.h"
#include "gui/CommandButtons.h"
#include "gui/QtHost.h"
#include "planning/frmPlanung.h"
#include "ui/Command.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace gui {

namespace {

QTableView* table(QAbstractItemModel* model, const QString& name, QWidget* parent) {
    auto* t = new QTableView(parent);
    t->setObjectName(name);
    t->setModel(model);
    t->setSelectionMode(QAbstractItemView::NoSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->horizontalHeader()->setStretchLastSection(true);
    t->setWordWrap(false);
    return t;
}

QListWidget* list(const QString& name, QWidget* parent) {
    auto* l = new QListWidget(parent);
    l->setObjectName(name);
    l->setSelectionMode(QAbstractItemView::NoSelection);
    return l;
}

// Rebuilt only when the lines changed, so that a scrolled list stays where it is.
void showLines(QListWidget* l, QStringList& shown, const QStringList& lines) {
    if (shown == lines)
        return;
    shown = lines;
    l->clear();
    l->addItems(lines);
}

} // namespace

PlanungView::PlanungView(planning::frmPlanung& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildSettings());
    lblStand_ = new QLabel(this);
    lblStand_->setObjectName(QStringLiteral("lblStand"));
    layout->addWidget(lblStand_);
    // The counts above, the rails and the changes below; the planner moves the border.
    auto* split = new QSplitter(Qt::Vertical, this);
    auto* counts = new QWidget(split);
    auto* countsLayout = new QVBoxLayout(counts);
    countsLayout->setContentsMargins(0, 0, 0, 0);
    grdKurse_ = table(&w_.grdKurse, QStringLiteral("grdKurse"), counts);
    countsLayout->addWidget(grdKurse_, 3);
    lstProbleme_ = list(QStringLiteral("lstProbleme"), counts);
    lstProbleme_->setMaximumHeight(lstProbleme_->fontMetrics().height() * 4);
    countsLayout->addWidget(lstProbleme_);
    split->addWidget(counts);
    auto* lower = new QWidget(split);
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(buildRails(), 1);
    lowerLayout->addWidget(buildChanges(), 1);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    layout->addLayout(buildProgress());

    tmrRechnung_ = new QTimer(this);
    tmrRechnung_->setInterval(100);
    connect(tmrRechnung_, &QTimer::timeout, this,
            [this]() { run([&]() { w_.tmrRechnung_Timer(); }); });
    connect(&w_, &ui::Window::changed, this, &PlanungView::refresh);
    refresh();
    resize(1180, 680); // fits 1366 x 768 with the taskbar
}

QLineEdit* PlanungView::edit(const QString& name, int chars,
                             const std::function<void(const QString&)>& set) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(chars);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(chars + 1, QLatin1Char('0'))) + 12);
    connect(e, &QLineEdit::textEdited, this, set);
    return e;
}

void PlanungView::addButton(QLayout* layout, const QString& name) {
    auto* b = commandButton(w_, *w_.command(name), host_, this);
    b->setAutoDefault(false);
    layout->addWidget(b);
}

QLayout* PlanungView::buildSettings() {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(w_.lblJahrgangCaption, this));
    auto* cohorts = new ComboBoxView(w_.CmbJahrgang, this);
    cohorts->setObjectName(QStringLiteral("CmbJahrgang"));
    connect(cohorts, &ComboBoxView::clicked, this,
            [this]() { run([&]() { w_.CmbJahrgang_Click(); }); });
    row->addWidget(cohorts);
    row->addSpacing(12);
    row->addWidget(new QLabel(w_.lblMaxCaption, this));
    txtMax_ = edit(QStringLiteral("txtMax"), 3, [this](const QString& t) { w_.txtMax = t; });
    row->addWidget(txtMax_);
    row->addWidget(new QLabel(w_.lblMinCaption, this));
    txtMin_ = edit(QStringLiteral("txtMin"), 3, [this](const QString& t) { w_.txtMin = t; });
    row->addWidget(txtMin_);
    addButton(row, QStringLiteral("cmdZaehlen"));
    row->addSpacing(12);
    row->addWidget(new QLabel(w_.lblZeitCaption, this));
    txtZeit_ = edit(QStringLiteral("txtZeit"), 4, [this](const QString& t) { w_.txtZeit = t; });
    row->addWidget(txtZeit_);
    row->addStretch(1);
    return row;
}

QWidget* PlanungView::buildRails() {
    auto* box = new QGroupBox(QStringLiteral("Schienen"), this);
    auto* layout = new QVBoxLayout(box);
    lstSchienen_ = list(QStringLiteral("lstSchienen"), box);
    lstSchienen_->setWordWrap(true); // a bound's reason may be long
    layout->addWidget(lstSchienen_, 1);
    auto* buttons = new QHBoxLayout;
    addButton(buttons, QStringLiteral("cmdSchienen"));
    addButton(buttons, QStringLiteral("cmdKopie"));
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return box;
}

QWidget* PlanungView::buildChanges() {
    auto* box = new QGroupBox(QStringLiteral("Was wäre, wenn"), this);
    auto* layout = new QVBoxLayout(box);
    grdWasWaere_ = table(&w_.grdWasWaere, QStringLiteral("grdWasWaere"), box);
    layout->addWidget(grdWasWaere_, 1);
    auto* buttons = new QHBoxLayout;
    addButton(buttons, QStringLiteral("cmdWasWaere"));
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return box;
}

QLayout* PlanungView::buildProgress() {
    auto* row = new QHBoxLayout;
    prgRechnung_ = new QProgressBar(this);
    prgRechnung_->setObjectName(QStringLiteral("prgRechnung"));
    prgRechnung_->setRange(0, 100);
    row->addWidget(prgRechnung_, 1);
    addButton(row, QStringLiteral("cmdAbbrechen"));
    addButton(row, QStringLiteral("cmdSchliessen"));
    return row;
}

void PlanungView::run(const std::function<void()>& handler) {
    ui::runCommand(host_, handler);
}

void PlanungView::refresh() {
    setWindowTitle(w_.caption());
    const bool running = w_.running();
    for (QLineEdit* e : {txtMax_, txtMin_, txtZeit_})
        e->setEnabled(!running);
    if (txtMax_->text() != w_.txtMax)
        txtMax_->setText(w_.txtMax);
    if (txtMin_->text() != w_.txtMin)
        txtMin_->setText(w_.txtMin);
    if (txtZeit_->text() != w_.txtZeit)
        txtZeit_->setText(w_.txtZeit);
    lblStand_->setText(w_.lblStand);
    showLines(lstProbleme_, shownProbleme_, w_.lstProbleme);
    lstProbleme_->setVisible(!w_.lstProbleme.isEmpty());
    showLines(lstSchienen_, shownSchienen_, w_.lstSchienen);
    prgRechnung_->setValue(w_.prgRechnung);
    grdKurse_->resizeColumnsToContents();
    grdWasWaere_->resizeColumnsToContents();
    showEnabled(w_, this);
    if (running && !tmrRechnung_->isActive())
        tmrRechnung_->start();
    else if (!running)
        tmrRechnung_->stop();
}

void PlanungView::reject() {
    run([&]() { w_.Form_Unload(); });
    QDialog::reject();
}

} // namespace gui

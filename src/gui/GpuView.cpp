#include "gui/GpuView.h"

#include "export/frmGPU.h"
#include "gui/ComboBoxView.h"
#include "gui/CommandButtons.h"
#include "gui/QtHost.h"
#include "ui/Command.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

namespace {

ComboBoxView* combo(ui::ComboBox& model, const char* name, QWidget* parent) {
    auto* box = new ComboBoxView(model, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

GpuView::GpuView(exporter::untis::frmGPU& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(w_.lblJahrgang, combo(w_.cmbJahrgang, "cmbJahrgang", this));

    // The folder: typed, or chosen through the button beside it.
    auto* folder = new QHBoxLayout;
    txtOrdner_ = new QLineEdit(this);
    txtOrdner_->setObjectName(QStringLiteral("txtOrdner"));
    txtOrdner_->setMinimumWidth(txtOrdner_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    folder->addWidget(txtOrdner_, 1);
    std::vector<QPushButton*> buttons = commandButtons(w_, host_, this);
    for (QPushButton* b : buttons)
        b->setAutoDefault(false);
    folder->addWidget(buttons.front()); // cmdOrdner
    form->addRow(w_.lblOrdner, folder);

    form->addRow(w_.lblTrenner, combo(w_.cmbTrenner, "cmbTrenner", this));
    form->addRow(w_.lblZeichensatz, combo(w_.cmbZeichensatz, "cmbZeichensatz", this));
    txtNummer_ = new QLineEdit(this);
    txtNummer_->setObjectName(QStringLiteral("txtNummer"));
    txtNummer_->setMaxLength(6);
    txtNummer_->setMaximumWidth(
        txtNummer_->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 8 + 12);
    form->addRow(w_.lblNummer, txtNummer_);
    auto* hint = new QLabel(w_.lblNummerHinweis, this);
    hint->setWordWrap(true);
    form->addRow(QString(), hint);
    form->addRow(w_.lblSchluessel, combo(w_.cmbSchluessel, "cmbSchluessel", this));
    layout->addLayout(form);
    layout->addStretch(1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (size_t i = 1; i < buttons.size(); ++i)
        row->addWidget(buttons[i]);
    buttons[1]->setDefault(true); // cmdExportieren
    layout->addLayout(row);

    connect(txtOrdner_, &QLineEdit::textEdited, this,
            [this](const QString& t) { w_.txtOrdner = t; });
    connect(txtNummer_, &QLineEdit::textEdited, this,
            [this](const QString& t) { w_.txtNummer = t; });
    connect(&w_, &ui::Window::changed, this, &GpuView::refresh);
    refresh();
    resize(sizeHint().expandedTo(QSize(560, 0)));
}

void GpuView::refresh() {
    setWindowTitle(w_.caption());
    if (txtOrdner_->text() != w_.txtOrdner)
        txtOrdner_->setText(w_.txtOrdner);
    if (txtNummer_->text() != w_.txtNummer)
        txtNummer_->setText(w_.txtNummer);
    showEnabled(w_, this);
}

} // namespace gui

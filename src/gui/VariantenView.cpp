#include "gui/VariantenView.h"

#include "gui/ColumnListView.h"
#include "gui/CommandButtons.h"
#include "gui/QtHost.h"
#include "placement/frmVarianten.h"
#include "ui/Command.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace gui {

VariantenView::VariantenView(placement::frmVarianten& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    auto* layout = new QVBoxLayout(this);
    ListColumns columns;
    columns.headings = w_.Spalten;
    columns.fields = [](int, const QString& line) { return line.split(QLatin1Char('\t')); };
    // The figures; name, date and comment read as text.
    for (int i = 1; i < w_.Spalten.size() - 2; ++i)
        columns.rightAligned << i;
    auto* table = new ColumnListView(w_.lstVarianten, columns, this);
    table->setObjectName(QStringLiteral("lstVarianten"));
    layout->addWidget(table, 3);

    lblUnterschiede_ = new QLabel(this);
    lblUnterschiede_->setObjectName(QStringLiteral("lblUnterschiede"));
    layout->addWidget(lblUnterschiede_);
    unterschiede_ = new QPlainTextEdit(this);
    unterschiede_->setObjectName(QStringLiteral("lstUnterschiede"));
    unterschiede_->setReadOnly(true);
    layout->addWidget(unterschiede_, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : commandButtons(w_, host_, this)) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    connect(&w_, &ui::Window::changed, this, [this, table]() {
        table->fieldsChanged();
        refresh();
    });
    refresh();
    resize(std::max(900, table->layoutWidth() + 40), 560);
}

void VariantenView::refresh() {
    setWindowTitle(w_.caption());
    lblUnterschiede_->setText(
        w_.lblUnterschiede.isEmpty()
            ? QStringLiteral("Zwei Zeilen wählen und „Vergleichen“.")
            : QStringLiteral("Unterschiede zwischen %1").arg(w_.lblUnterschiede));
    unterschiede_->setPlainText(w_.lstUnterschiede.join(QLatin1Char('\n')));
    showEnabled(w_, this);
}

void VariantenView::reject() {
    ui::runCommand(host_, [&]() { w_.Form_Unload(); });
    QDialog::reject();
}

} // namespace gui

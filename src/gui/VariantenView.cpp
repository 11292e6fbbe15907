#include "gui/VariantenView.h"

#include "gui/ColumnListView.h"
#include "gui/CommandButtons.h"
#include "gui/QtHost.h"
#include "placement/frmVarianten.h"
#include "ui/Command.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>
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
    layout->addWidget(table, 2);

    // Below the table: what "Vergleichen" found, and the chosen plans' figures side by side.
    auto* below = new QHBoxLayout;
    auto* comparison = new QVBoxLayout;
    lblUnterschiede_ = new QLabel(this);
    lblUnterschiede_->setObjectName(QStringLiteral("lblUnterschiede"));
    lblUnterschiede_->setWordWrap(true);
    comparison->addWidget(lblUnterschiede_);
    unterschiede_ = new QPlainTextEdit(this);
    unterschiede_->setObjectName(QStringLiteral("lstUnterschiede"));
    unterschiede_->setReadOnly(true);
    comparison->addWidget(unterschiede_, 1);
    below->addLayout(comparison, 1);
    chart_ = new QChartView(this);
    chart_->setObjectName(QStringLiteral("chtKennzahlen"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumSize(360, 220);
    below->addWidget(chart_, 1);
    layout->addLayout(below, 3);

    layout->addLayout(commandRow(w_, host_, this));

    connect(&w_, &ui::Window::changed, this, [this, table]() {
        table->fieldsChanged();
        refresh();
    });
    connect(&w_.lstVarianten, &ui::ListBox::selectionChanged, this, [this] { drawFigures(); });
    refresh();
    // The table scrolls sideways rather than widen the window beyond a small screen.
    resize(std::clamp(table->layoutWidth() + 40, 900, 1300), 640);
}

void VariantenView::drawFigures() {
    // Bars lying down: the figures' names read whole on the left.
    auto* series = new QHorizontalBarSeries;
    for (const placement::frmVarianten::Figures& f : w_.chosenFigures()) {
        auto* set = new QBarSet(f.plan);
        for (int v : f.values)
            *set << v;
        series->append(set);
    }
    auto* chart = new QChart;
    chart->addSeries(series);
    auto* names = new QBarCategoryAxis;
    names->append(w_.figureNames());
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    auto* values = new QValueAxis;
    values->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
}

void VariantenView::refresh() {
    setWindowTitle(w_.caption());
    lblUnterschiede_->setText(
        w_.lblUnterschiede.isEmpty()
            ? QStringLiteral("Zwei Zeilen wählen und „Vergleichen“.")
            : QStringLiteral("Unterschiede zwischen %1").arg(w_.lblUnterschiede));
    unterschiede_->setPlainText(w_.lstUnterschiede.join(QLatin1Char('\n')));
    drawFigures();
    showEnabled(w_, this);
}

void VariantenView::reject() {
    ui::runCommand(host_, [&]() { w_.Form_Unload(); });
    QDialog::reject();
}

} // namespace gui

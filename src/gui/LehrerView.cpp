#include "gui/LehrerView.h"

#include "editors/frmLehrer.h"
#include "gui/ColumnListView.h"
#include "gui/CommandButtons.h"
#include "gui/QtHost.h"
#include "ui/Command.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

namespace {

ListColumns tabbed(const QStringList& headings, QList<int> rightAligned) {
    ListColumns columns;
    columns.headings = headings;
    columns.fields = [](int, const QString& line) { return line.split(QLatin1Char('\t')); };
    columns.rightAligned = std::move(rightAligned);
    return columns;
}

} // namespace

LehrerView::LehrerView(editors::frmLehrer& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(w_.lblLehrer, this));
    auto* teachers = new ColumnListView(w_.lstLehrer, tabbed(w_.SpaltenLehrer, {2}), this);
    teachers->setObjectName(QStringLiteral("lstLehrer"));
    layout->addWidget(teachers, 3);
    layout->addWidget(new QLabel(w_.lblKurse, this));
    auto* courses = new ColumnListView(w_.lstKurse, tabbed(w_.SpaltenKurse, {1}), this);
    courses->setObjectName(QStringLiteral("lstKurse"));
    layout->addWidget(courses, 2);

    layout->addLayout(commandRow(w_, host_, this));

    connect(teachers, &ColumnListView::clicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.lstLehrer_Click(); }); });
    connect(courses, &ColumnListView::clicked, this,
            [this]() { ui::runCommand(host_, [&]() { w_.lstKurse_Click(); }); });
    connect(&w_, &ui::Window::changed, this, &LehrerView::refresh);
    refresh();
    resize(900, 600);
}

void LehrerView::refresh() {
    setWindowTitle(w_.caption());
    showEnabled(w_, this);
}

} // namespace gui

#include "gui/LehrerSchienenView.h"

#include "gui/CommandButtons.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "placement/frmLehrerSchienen.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace gui {

LehrerSchienenView::LehrerSchienenView(placement::frmLehrerSchienen& w, QtHost& host,
                                       QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QVBoxLayout(this);
    auto* label1 = new QLabel(w_.Label1, this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    layout->addWidget(label1);
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("grdLehrer"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setFont(courierNew(10));
    table_->setWordWrap(false);
    layout->addWidget(table_, 1);
    lblKollisionen_ = new QLabel(this);
    lblKollisionen_->setObjectName(QStringLiteral("lblKollisionen"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblKollisionen_, 1);
    for (QPushButton* b : commandButtons(w_, host_, this)) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(&w_, &ui::Window::changed, this, &LehrerSchienenView::refresh);
    refresh();
    // As wide as the table where the screen has room; it scrolls beyond.
    const QRect room = screen()->availableGeometry();
    const int wanted =
        table_->horizontalHeader()->length() + table_->verticalHeader()->sizeHint().width() + 60;
    resize(std::clamp(wanted, 600, room.width() * 9 / 10), std::min(700, room.height() * 8 / 10));
}

void LehrerSchienenView::refresh() {
    const printing::TeacherRails& t = w_.tabelle;
    const QStringList heads = t.rails + QStringList{printing::kNoRail};
    table_->clear();
    table_->setColumnCount(static_cast<int>(heads.size()));
    table_->setRowCount(static_cast<int>(t.rows.size()));
    table_->setHorizontalHeaderLabels(heads);
    QStringList teachers;
    for (int row = 0; row < static_cast<int>(t.rows.size()); ++row) {
        const printing::TeacherRails::Row& r = t.rows[static_cast<size_t>(row)];
        teachers << r.teacher;
        for (int col = 0; col < static_cast<int>(r.courses.size()); ++col) {
            const QStringList& cell = r.courses[static_cast<size_t>(col)];
            auto* item = new QTableWidgetItem(cell.join(QLatin1Char(' ')));
            if (col < t.rails.size() && printing::TeacherRails::clash(cell)) {
                item->setBackground(QColor(255, 200, 200));
                item->setToolTip(QStringLiteral("%1 hat auf der Schiene %2 mehrere Kurse")
                                     .arg(r.teacher, t.rails[col]));
            }
            table_->setItem(row, col, item);
        }
    }
    table_->setVerticalHeaderLabels(teachers);
    table_->resizeColumnsToContents();
    lblKollisionen_->setText(w_.lblKollisionen);
    showEnabled(w_, this);
}

} // namespace gui

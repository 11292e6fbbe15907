#include "gui/FiguresPanel.h"

#include "placement/Figures.h"

#include <algorithm>

namespace gui {

namespace {
constexpr int kMostHeight = 300;
}

FiguresPanel::FiguresPanel(QWidget* parent) : QListWidget(parent) {
    setFrameShape(QFrame::NoFrame);
    setWordWrap(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::TabFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    viewport()->setAutoFillBackground(false);
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit lineActivated(row(item)); });
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit lineActivated(row(item)); });
}

void FiguresPanel::setLines(const QStringList& lines) {
    clear();
    for (const QString& line : lines) {
        auto* item = new QListWidgetItem(line, this);
        item->setToolTip(placement::figureTip(line));
        if (placement::listsWithoutCourse(line)) {
            QFont f = font();
            f.setUnderline(true);
            item->setFont(f);
        }
    }
    // Every line in view, as a label would show them (a few wrapped), unless that took most of a
    // small screen.
    const int height = 2 * frameWidth() + (count() + 4) * fontMetrics().lineSpacing();
    setMinimumHeight(std::min(height, kMostHeight));
}

} // namespace gui

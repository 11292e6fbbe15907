// The rail grid of the placement workspace: its model over ui::Grid and the view that forwards
// the planner's presses, drags and keys to the grid's logic.
#include "gui/SetzenKView.h"

#include "gui/ShellViews.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "placement/Workspace.h"
#include "ui/Grid.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>

namespace gui {

namespace {

using placement::RailHeader;

// The ground of a course or rail that breaks one of the planner's rules.
QBrush ruleGround() {
    return QBrush(QColor(255, 230, 120));
}

// The rail grid as the table shows it: row 0 (the rail headers) as the column headers, on two
// lines (name and hours over the student count), the course entries below; the grid's selection
// rectangle is painted as highlighted cells and headers, the current column's header in bold.
class RailGridModel : public QAbstractTableModel {
public:
    RailGridModel(ui::Grid& g, const placement::Workspace* ws, QObject* parent)
        : QAbstractTableModel(parent), g_(g), ws_(ws) {
        connect(&g_, &QAbstractItemModel::modelAboutToBeReset, this,
                &RailGridModel::beginResetModel);
        connect(&g_, &QAbstractItemModel::modelReset, this, &RailGridModel::endResetModel);
        connect(&g_, &QAbstractItemModel::headerDataChanged, this,
                [this](Qt::Orientation, int first, int last) {
                    emit headerDataChanged(Qt::Horizontal, first, last);
                });
        connect(&g_, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from, const QModelIndex& to) {
                    const int row = from.row() + g_.FixedRows();
                    if (row == 0)
                        emit headerDataChanged(Qt::Horizontal, from.column(), to.column());
                    else
                        emit dataChanged(index(row - 1, from.column()),
                                         index(to.row() + g_.FixedRows() - 1, to.column()));
                });
        connect(&g_, &ui::Grid::selectionChanged, this, &RailGridModel::marksChanged);
    }

    // The selection or the current column changed: cells and headers are painted anew.
    void marksChanged() {
        if (columnCount() == 0)
            return;
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                             {Qt::BackgroundRole, Qt::ForegroundRole});
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : g_.Rows() - 1;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : g_.Cols();
    }

    QVariant data(const QModelIndex& i, int role) const override {
        if (!i.isValid() || i.row() + 1 >= g_.Rows() || i.column() >= g_.Cols())
            return {};
        const int row = i.row() + 1;
        const bool selected = row >= g_.SelStartRow() && row <= g_.SelEndRow() &&
                              i.column() >= g_.SelStartCol() && i.column() <= g_.SelEndCol();
        const int col = i.column();
        const bool clash = ws_ && ws_->teacherClash(row, col);
        switch (role) {
        case Qt::DisplayRole:
            return ws_ ? ws_->cellText(row, col) : g_.TextMatrix(row, col);
        case Qt::ToolTipRole:
            return ws_ ? ws_->cellTip(row, col) : g_.TextMatrix(row, col);
        case Qt::BackgroundRole:
            if (selected)
                return QPalette().brush(QPalette::Highlight);
            return ws_ && ws_->breaksRule(row, col) ? QVariant(ruleGround()) : QVariant();
        case Qt::ForegroundRole:
            if (selected)
                return QPalette().brush(QPalette::HighlightedText);
            return clash ? QVariant(QBrush(Qt::red)) : QVariant();
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || section < 0 || section >= g_.Cols())
            return {};
        const QString& h = g_.TextMatrix(0, section);
        const bool marked = section >= g_.SelStartCol() && section <= g_.SelEndCol();
        const bool broken = ws_ && ws_->railBreaksRule(section);
        const bool shown = ws_ && section < static_cast<int>(ws_->plan.rails.size());
        switch (role) {
        case Qt::DisplayRole:
            return shown
                       ? ws_->railHeading(section)
                       : RailHeader::nameAndHours(h) + QLatin1Char('\n') + RailHeader::countText(h);
        case Qt::ToolTipRole:
            return shown ? ws_->railTip(section) : h;
        case Qt::FontRole: {
            QFont f = courierNew(10);
            f.setBold(section == g_.Col());
            return f;
        }
        case Qt::BackgroundRole:
            if (marked)
                return QPalette().brush(QPalette::Highlight);
            return broken ? QVariant(ruleGround()) : QVariant();
        case Qt::ForegroundRole:
            return marked ? QVariant(QPalette().brush(QPalette::HighlightedText)) : QVariant();
        default:
            return {};
        }
    }

private:
    ui::Grid& g_;
    const placement::Workspace* ws_;
};

} // namespace

RailGridView::RailGridView(ui::Grid& g, std::function<void(const std::function<void()>&)> run,
                           QWidget* parent, const placement::Workspace* ws)
    : QTableView(parent), g_(g), ws_(ws), run_(std::move(run)) {
    auto* model = new RailGridModel(g_, ws, this);
    setModel(model);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid for the next control; the arrows move in it.
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::StrongFocus);
    setFont(courierNew(10));
    horizontalHeader()->setFont(courierNew(10));
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).lineSpacing() + 6);
    // Entries wider than their rail are cut, as in a grid cell, not elided.
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    // A press on a rail header marks the whole rail; dragging over headers, or Shift with the
    // press, marks several.
    horizontalHeader()->viewport()->installEventFilter(this);
    connect(horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int c) {
        setFocus();
        if (headerShift_)
            run_([&]() { g_.extendSelection(g_.Rows() - 1, c); });
        else
            run_([&]() { g_.selectColumn(c); });
        updateMarks();
    });
    connect(horizontalHeader(), &QHeaderView::sectionEntered, this, [this](int c) {
        run_([&]() { g_.extendSelection(g_.Rows() - 1, c); });
        updateMarks();
    });
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int c) {
        run_([&]() { g_.doubleClick(0, c); });
        updateMarks();
    });
    // A header changed while the grid is scrolled is repainted where it stands now.
    connect(model, &QAbstractItemModel::headerDataChanged, horizontalHeader()->viewport(),
            qOverload<>(&QWidget::update));
    connect(&g_, &ui::Grid::sizesChanged, this, &RailGridView::applySizes);
    connect(model, &QAbstractItemModel::modelReset, this, &RailGridView::applySizes);
    applySizes();
    updateMarks();
}

bool RailGridView::eventFilter(QObject* watched, QEvent* e) {
    if (watched == horizontalHeader()->viewport() && e->type() == QEvent::MouseButtonPress)
        headerShift_ = static_cast<QMouseEvent*>(e)->modifiers() & Qt::ShiftModifier;
    return QTableView::eventFilter(watched, e);
}

void RailGridView::updateMarks() {
    // A command may have put a longer name onto a rail.
    if (ws_)
        applySizes();
    static_cast<RailGridModel*>(model())->marksChanged();
    // The grid's current cell is the table's current index (its focus frame).
    const QModelIndex current = model()->index(g_.Row() - 1, g_.Col());
    if (current.isValid())
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    viewport()->update();
    horizontalHeader()->viewport()->update();
}

void RailGridView::mousePressEvent(QMouseEvent* e) {
    setFocus();
    const QModelIndex i = indexAt(e->position().toPoint());
    if (e->button() != Qt::LeftButton || !i.isValid())
        return;
    dragging_ = true;
    last_ = i;
    if (e->modifiers() & Qt::ShiftModifier)
        run_([&]() { g_.extendSelection(i.row() + 1, i.column()); });
    else
        run_([&]() { g_.click(i.row() + 1, i.column()); });
    updateMarks();
}

void RailGridView::mouseMoveEvent(QMouseEvent* e) {
    const QModelIndex i = indexAt(e->position().toPoint());
    if (!dragging_ || !i.isValid() || i == last_)
        return;
    last_ = i;
    run_([&]() { g_.extendSelection(i.row() + 1, i.column()); });
    updateMarks();
}

void RailGridView::mouseDoubleClickEvent(QMouseEvent* e) {
    const QModelIndex i = indexAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && i.isValid())
        run_([&]() { g_.doubleClick(i.row() + 1, i.column()); });
    updateMarks();
}

// The arrows move the grid's current cell or selection; the view follows the cell moved to.
void RailGridView::keyPressEvent(QKeyEvent* e) {
    int dRow = 0;
    int dCol = 0;
    switch (e->key()) {
    case Qt::Key_Up:
        dRow = -1;
        break;
    case Qt::Key_Down:
        dRow = 1;
        break;
    case Qt::Key_Left:
        dCol = -1;
        break;
    case Qt::Key_Right:
        dCol = 1;
        break;
    default:
        QTableView::keyPressEvent(e);
        return;
    }
    e->accept();
    if (g_.Cols() == 0)
        return;
    const bool extend = e->modifiers() & Qt::ShiftModifier;
    int row = 0;
    int col = 0;
    run_([&]() { std::tie(row, col) = g_.moveBy(dRow, dCol, extend); });
    if (row >= 1)
        scrollTo(model()->index(row - 1, col));
    else
        horizontalScrollBar()->setValue(columnViewportPosition(col) +
                                        horizontalScrollBar()->value());
    updateMarks();
}

// The grid keeps its sizes in twips, measured in characters of its fixed-pitch font; with the
// workspace a rail is as wide as the longest text it shows, so that every name stands whole.
void RailGridView::applySizes() {
    const QFontMetrics fm(font());
    const int charWidth = fm.horizontalAdvance(QLatin1Char('0'));
    const int rails = ws_ ? static_cast<int>(ws_->plan.rails.size()) : 0;
    // The padding is one character here: the rails need all the width there is.
    for (int c = 0; c < g_.Cols(); ++c) {
        if (c < rails) {
            qsizetype chars = 0;
            for (const QString& line : ws_->railHeading(c).split(QLatin1Char('\n')))
                chars = std::max(chars, line.size());
            for (int row = 1; row < g_.Rows(); ++row)
                chars = std::max(chars, ws_->cellText(row, c).size());
            setColumnWidth(c, static_cast<int>(chars + 1) * charWidth);
        } else if (g_.ColWidth(c) > 0) {
            setColumnWidth(c, std::max(0, g_.ColWidth(c) - placement::kRailColumnPaddingTwips) *
                                      charWidth / placement::kCharWidthTwips +
                                  charWidth);
        }
    }
    if (g_.RowHeight(0) > 0)
        horizontalHeader()->setMinimumHeight(g_.RowHeight(0) * fm.lineSpacing() /
                                             placement::kLineHeightTwips);
}

} // namespace gui

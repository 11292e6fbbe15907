#include "gui/ColumnListView.h"

#include "gui/ListBoxView.h"
#include "gui/ShellViews.h"
#include "ui/ListBox.h"

#include <QHeaderView>
#include <QStyle>

namespace gui {

ColumnsModel::ColumnsModel(ui::ListBox& list, ListColumns columns, QObject* parent)
    : QAbstractTableModel(parent), list_(list), columns_(std::move(columns)) {
    connect(&list_, &QAbstractItemModel::modelAboutToBeReset, this, &ColumnsModel::beginResetModel);
    connect(&list_, &QAbstractItemModel::modelReset, this, &ColumnsModel::endResetModel);
    connect(&list_, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex&, int first, int last) { beginInsertRows({}, first, last); });
    connect(&list_, &QAbstractItemModel::rowsInserted, this, &ColumnsModel::endInsertRows);
    connect(&list_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { beginRemoveRows({}, first, last); });
    connect(&list_, &QAbstractItemModel::rowsRemoved, this, &ColumnsModel::endRemoveRows);
    connect(&list_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                emit dataChanged(index(from.row(), 0), index(to.row(), columnCount() - 1));
            });
}

int ColumnsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.count();
}

int ColumnsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.headings.size());
}

QVariant ColumnsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= list_.count())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const QStringList fields = columns_.fields(index.row(), list_.line(index.row()));
        return index.column() < fields.size() ? fields[index.column()].trimmed() : QString();
    }
    case Qt::TextAlignmentRole:
        return columns_.rightAligned.contains(index.column())
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant ColumnsModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return columns_.headings[section];
    if (role == Qt::TextAlignmentRole)
        return columns_.rightAligned.contains(section) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void ColumnsModel::fieldsChanged() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

ColumnListView::ColumnListView(ui::ListBox& list, ListColumns columns, QWidget* parent)
    : QTreeView(parent), list_(list), chars_(columns.chars),
      model_(new ColumnsModel(list, std::move(columns), this)) {
    setModel(model_);
    setFont(courierNew(10));
    header()->setFont(QFont());
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(list_.multiSelect() ? QAbstractItemView::MultiSelection
                                         : QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    // The last column takes what is left, however little: not the default hundred pixels.
    header()->setDefaultSectionSize(header()->minimumSectionSize());
    header()->setSectionsMovable(false);
    auto* sync = new ListBoxSelection(list_, this);
    connect(sync, &ListBoxSelection::userChanged, this, &ColumnListView::clicked);
    connect(model_, &QAbstractItemModel::modelReset, this, &ColumnListView::fitColumns);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &ColumnListView::fitColumns);
    fitColumns();
}

void ColumnListView::fieldsChanged() {
    model_->fieldsChanged();
}

// Every column as wide as its widest field or heading, so the columns line up whatever the
// font; the last one takes the rest.
void ColumnListView::fitColumns() {
    const int charWidth = QFontMetrics(font()).horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c + 1 < model_->columnCount(); ++c) {
        const int layoutWidth = c < chars_.size() ? chars_[c] * charWidth + 2 * indentation() : 0;
        setColumnWidth(c,
                       std::max({sizeHintForColumn(c), header()->sectionSizeHint(c), layoutWidth}));
    }
}

int ColumnListView::layoutWidth() const {
    const int charWidth = QFontMetrics(font()).horizontalAdvance(QLatin1Char('0'));
    const int last = model_->columnCount() - 1;
    // Two characters to spare: the headings' style may add a little once the list is shown.
    int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * charWidth;
    // The columns before the last are fitted already; the last one stretches.
    for (int c = 0; c < last; ++c)
        width += columnWidth(c);
    if (last >= 0) {
        const int layout = last < chars_.size() ? chars_[last] * charWidth + 2 * indentation() : 0;
        width += std::max(header()->sectionSizeHint(last), layout);
    }
    return width;
}

} // namespace gui

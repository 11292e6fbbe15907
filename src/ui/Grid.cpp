#include "ui/Grid.h"

#include <algorithm>
#include <stdexcept>

namespace ui {

namespace {

[[noreturn]] void outOfRange(const char* what, int value) {
    throw std::out_of_range(QStringLiteral("Tabelle: ungültiger Wert %1 für %2")
                                .arg(value)
                                .arg(QLatin1String(what))
                                .toStdString());
}

} // namespace

Grid::Grid(QObject* parent) : QAbstractTableModel(parent) {
    cells_.assign(1, {});
    rowHeight_.assign(1, -1);
}

void Grid::checkCell(int row, int col) const {
    if (row < 0 || row >= rows_)
        outOfRange("Row", row);
    if (col < 0 || col >= cols_)
        outOfRange("Col", col);
}

void Grid::clampState() {
    const int lastRow = rows_ - 1;
    const int lastCol = std::max(cols_ - 1, 0);
    row_ = std::clamp(row_, 0, lastRow);
    col_ = std::clamp(col_, 0, lastCol);
    selStartRow_ = std::clamp(selStartRow_, 0, lastRow);
    selEndRow_ = std::clamp(selEndRow_, 0, lastRow);
    selStartCol_ = std::clamp(selStartCol_, 0, lastCol);
    selEndCol_ = std::clamp(selEndCol_, 0, lastCol);
    if (fixedRows_ >= rows_)
        fixedRows_ = std::max(rows_ - 1, 0);
}

void Grid::setRows(int n) {
    if (n < 1)
        outOfRange("Rows", n);
    if (n == rows_)
        return;
    beginResetModel();
    rows_ = n;
    cells_.resize(static_cast<size_t>(n), std::vector<QString>(static_cast<size_t>(cols_)));
    rowHeight_.resize(static_cast<size_t>(n), -1);
    clampState();
    endResetModel();
    emit selectionChanged();
    emit sizesChanged();
}

void Grid::setCols(int n) {
    if (n < 0)
        outOfRange("Cols", n);
    if (n == cols_)
        return;
    beginResetModel();
    cols_ = n;
    for (auto& r : cells_)
        r.resize(static_cast<size_t>(n));
    colWidth_.resize(static_cast<size_t>(n), -1);
    clampState();
    endResetModel();
    emit selectionChanged();
    emit sizesChanged();
}

void Grid::setFixedRows(int n) {
    if (n < 0 || (n > 0 && n >= rows_))
        outOfRange("FixedRows", n);
    if (n == fixedRows_)
        return;
    beginResetModel();
    fixedRows_ = n;
    endResetModel();
    emit selectionChanged();
    emit sizesChanged();
}

void Grid::setRow(int r) {
    if (r < 0 || r >= rows_)
        outOfRange("Row", r);
    row_ = r;
}

void Grid::setCol(int c) {
    if (c < 0 || c >= cols_)
        outOfRange("Col", c);
    col_ = c;
}

const QString& Grid::TextMatrix(int row, int col) const {
    checkCell(row, col);
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void Grid::setTextMatrix(int row, int col, const QString& text) {
    checkCell(row, col);
    QString& cell = cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
    if (cell == text)
        return;
    cell = text;
    if (row < fixedRows_)
        emit headerDataChanged(Qt::Horizontal, col, col);
    else
        emit dataChanged(index(row - fixedRows_, col), index(row - fixedRows_, col));
}

int Grid::ColWidth(int col) const {
    if (col < 0 || col >= cols_)
        outOfRange("ColWidth", col);
    return colWidth_[static_cast<size_t>(col)];
}

void Grid::setColWidth(int col, int twips) {
    if (col < 0 || col >= cols_)
        outOfRange("ColWidth", col);
    colWidth_[static_cast<size_t>(col)] = twips;
    emit sizesChanged();
}

int Grid::RowHeight(int row) const {
    if (row < 0 || row >= rows_)
        outOfRange("RowHeight", row);
    return rowHeight_[static_cast<size_t>(row)];
}

void Grid::setRowHeight(int row, int twips) {
    if (row < 0 || row >= rows_)
        outOfRange("RowHeight", row);
    rowHeight_[static_cast<size_t>(row)] = twips;
    emit sizesChanged();
}

void Grid::setSelStartRow(int r) {
    setSelection(r, selStartCol_, selEndRow_, selEndCol_);
}
void Grid::setSelEndRow(int r) {
    setSelection(selStartRow_, selStartCol_, r, selEndCol_);
}
void Grid::setSelStartCol(int c) {
    setSelection(selStartRow_, c, selEndRow_, selEndCol_);
}
void Grid::setSelEndCol(int c) {
    setSelection(selStartRow_, selStartCol_, selEndRow_, c);
}

void Grid::setSelection(int r1, int c1, int r2, int c2) {
    if (r1 < 0 || r1 >= rows_)
        outOfRange("SelStartRow", r1);
    if (r2 < 0 || r2 >= rows_)
        outOfRange("SelEndRow", r2);
    // An empty grid has no column to select; column 0 stands for "none".
    const int lastCol = std::max(cols_ - 1, 0);
    if (c1 < 0 || c1 > lastCol)
        outOfRange("SelStartCol", c1);
    if (c2 < 0 || c2 > lastCol)
        outOfRange("SelEndCol", c2);
    if (r1 == selStartRow_ && r2 == selEndRow_ && c1 == selStartCol_ && c2 == selEndCol_)
        return;
    selStartRow_ = r1;
    selEndRow_ = r2;
    selStartCol_ = c1;
    selEndCol_ = c2;
    emit selectionChanged();
}

void Grid::click(int row, int col) {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return;
    row_ = row;
    col_ = col;
    setSelection(row, col, row, col);
    if (onClick)
        onClick();
}

void Grid::extendSelection(int row, int col) {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return;
    setSelection(std::min(row_, row), std::min(col_, col), std::max(row_, row),
                 std::max(col_, col));
    if (onSelChange)
        onSelChange();
}

std::pair<int, int> Grid::moveBy(int dRow, int dCol, bool extend) {
    if (cols_ == 0)
        return {row_, col_};
    const int firstRow = rows_ > 1 ? 1 : 0;
    int row = row_;
    int col = col_;
    if (extend) {
        row = selStartRow_ == row_ ? selEndRow_ : selStartRow_;
        col = selStartCol_ == col_ ? selEndCol_ : selStartCol_;
    }
    row = std::clamp(std::max(row, firstRow) + dRow, firstRow, rows_ - 1);
    col = std::clamp(col + dCol, 0, cols_ - 1);
    if (extend)
        extendSelection(row, col);
    else
        click(row, col);
    return {row, col};
}

void Grid::selectColumn(int col) {
    click(0, col);
    if (rows_ > 1)
        extendSelection(rows_ - 1, col);
}

void Grid::doubleClick(int row, int col) {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return;
    row_ = row;
    col_ = col;
    if (onDblClick)
        onDblClick();
}

int Grid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_ - fixedRows_;
}

int Grid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant Grid::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    const int row = index.row() + fixedRows_;
    if (row >= rows_ || index.column() >= cols_)
        return {};
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(index.column())];
}

QVariant Grid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= cols_)
        return {};
    QStringList parts;
    for (int r = 0; r < fixedRows_; ++r)
        parts << cells_[static_cast<size_t>(r)][static_cast<size_t>(section)];
    return parts.join(QLatin1Char('\n'));
}

} // namespace ui

#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace ui {

// The grid control: Rows x Cols cells of text, the first FixedRows rows fixed (shown as header),
// a current cell (Row, Col) and a rectangular selection (SelStartRow..SelEndRow,
// SelStartCol..SelEndCol) that the logic may read and set independently of the current cell.
// Column widths and row heights are kept in twips (1/1440 inch); the view converts them.
//
// The view reports the user's gestures through click(), extendSelection() and doubleClick();
// the grid updates the current cell and the selection and then raises the event onClick,
// onSelChange or onDblClick that the window has set. They are plain calls, so a failing handler's
// exception reaches the view's command boundary. Setting properties from the logic raises no
// event, only the signals a view needs to redraw.
//
// As a Qt model it shows the rows below the fixed rows; the horizontal header of a column is the
// text of its fixed rows joined by line feeds.
class Grid : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit Grid(QObject* parent = nullptr);

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    // Growing keeps the cells' texts, shrinking drops the cut-off ones. The current cell and the
    // selection are kept inside the grid.
    void setRows(int n);
    void setCols(int n);

    int FixedRows() const { return fixedRows_; }
    void setFixedRows(int n);

    int Row() const { return row_; }
    int Col() const { return col_; }
    void setRow(int r);
    void setCol(int c);

    // Text of the current cell.
    QString Text() const { return TextMatrix(row_, col_); }
    void setText(const QString& text) { setTextMatrix(row_, col_, text); }
    // Text of any cell; throws std::out_of_range outside the grid.
    const QString& TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);

    // -1 means the view's default size.
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    int RowHeight(int row) const;
    void setRowHeight(int row, int twips);

    int SelStartRow() const { return selStartRow_; }
    int SelEndRow() const { return selEndRow_; }
    int SelStartCol() const { return selStartCol_; }
    int SelEndCol() const { return selEndCol_; }
    void setSelStartRow(int r);
    void setSelEndRow(int r);
    void setSelStartCol(int c);
    void setSelEndCol(int c);

    // The user's gestures, in grid coordinates (row 0 is the first fixed row).
    // A click makes the cell current and selects it alone.
    void click(int row, int col);
    // Extends the selection from the current cell to (row, col), as a drag or shift-click does.
    void extendSelection(int row, int col);
    void doubleClick(int row, int col);
    // An arrow key: moves the current cell and selects it, as a click; with extend the
    // selection's corner opposite the current cell moves, as a shift-click. Course rows only
    // (the fixed row is reached by mouse). Returns the cell moved to.
    std::pair<int, int> moveBy(int dRow, int dCol, bool extend);
    // A press on a column's header: the column's cells from the first row down.
    void selectColumn(int col);

    // The events, set by the window that owns the grid.
    std::function<void()> onClick;
    std::function<void()> onSelChange;
    std::function<void()> onDblClick;

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // For the view: the selection rectangle or a size changed.
    void selectionChanged();
    void sizesChanged();

private:
    void checkCell(int row, int col) const;
    void clampState();
    void setSelection(int r1, int c1, int r2, int c2);

    int rows_ = 1;
    int cols_ = 0;
    int fixedRows_ = 0;
    int row_ = 0;
    int col_ = 0;
    int selStartRow_ = 0;
    int selEndRow_ = 0;
    int selStartCol_ = 0;
    int selEndCol_ = 0;
    std::vector<std::vector<QString>> cells_; // [row][col]
    std::vector<int> colWidth_;
    std::vector<int> rowHeight_;
};

} // namespace ui

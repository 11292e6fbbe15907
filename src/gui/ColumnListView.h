#pragma once

#include <QAbstractTableModel>
#include <QTreeView>
#include <functional>

namespace ui {
class ListBox;
}

namespace gui {

// How a list's lines are shown: a heading per column and the fields of row i, taken from the
// rows the logic keeps beside the lines (or from the line itself where it is all there is).
// Keys the rows carry for the handlers get no column.
struct ListColumns {
    QStringList headings;
    std::function<QStringList(int row, const QString& line)> fields;
    // Columns shown right-aligned (numbers).
    QList<int> rightAligned;
    // The width of each field in characters, as its layout gives it: an empty list keeps its
    // columns as wide as they will be.
    QList<int> chars;
};

// The lines of a ListBox split into columns; row i is line i, so a selection maps back to the
// line it shows.
class ColumnsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ColumnsModel(ui::ListBox& list, ListColumns columns, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // Fields that do not come from the line alone (a count) have changed.
    void fieldsChanged();

private:
    ui::ListBox& list_;
    ListColumns columns_;
};

// A ListBox shown as aligned columns with headings. Selection and current line are kept the
// same as the ListBox's both ways, as in ListBoxView; a selection the user makes, by mouse or
// keyboard, is reported as clicked(), a double-click as doubleClicked().
class ColumnListView : public QTreeView {
    Q_OBJECT
public:
    ColumnListView(ui::ListBox& list, ListColumns columns, QWidget* parent);

    void fieldsChanged();
    // The width that shows every column as wide as its layout or heading asks, without
    // scrolling sideways, whatever lines the list holds.
    int layoutWidth() const;

signals:
    void clicked();

private:
    void fitColumns();
    ui::ListBox& list_;
    QList<int> chars_;
    ColumnsModel* model_;
};

} // namespace gui

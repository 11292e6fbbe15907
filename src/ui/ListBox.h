#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <vector>

namespace ui {

// The list box control: lines, their selected flags and the current line (ListIndex, -1 for
// none). With multiSelect any set of lines may be selected; otherwise the selection is the
// current line. The view shows the lines and reports clicks through select()/setCurrent().
class ListBox : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ListBox(bool multiSelect = false, QObject* parent = nullptr);

    bool multiSelect() const { return multi_; }

    int count() const { return static_cast<int>(lines_.size()); }
    const QString& line(int i) const { return lines_.at(static_cast<size_t>(i)); }
    QStringList lines() const;
    void addLine(const QString& text);
    void insertLine(int index, const QString& text);
    void setLine(int i, const QString& text);
    void removeLine(int i);
    void clear();
    void setLines(const QStringList& lines);

    bool selected(int i) const { return selected_.at(static_cast<size_t>(i)); }
    void setSelected(int i, bool on);
    int selectedCount() const;
    std::vector<int> selectedRows() const;

    int currentIndex() const { return current_; }
    // Makes the line current; in single selection it becomes the selected line.
    void setCurrent(int i);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    void selectionChanged();

private:
    bool multi_;
    std::vector<QString> lines_;
    std::vector<bool> selected_;
    int current_ = -1;
};

} // namespace ui

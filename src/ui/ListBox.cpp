#include "ui/ListBox.h"

namespace ui {

ListBox::ListBox(bool multiSelect, QObject* parent)
    : QAbstractListModel(parent), multi_(multiSelect) {}

QStringList ListBox::lines() const {
    QStringList out;
    out.reserve(count());
    for (const auto& l : lines_)
        out << l;
    return out;
}

void ListBox::addLine(const QString& text) {
    insertLine(count(), text);
}

void ListBox::insertLine(int index, const QString& text) {
    if (index < 0 || index > count())
        index = count();
    beginInsertRows({}, index, index);
    lines_.insert(lines_.begin() + index, text);
    selected_.insert(selected_.begin() + index, false);
    if (current_ >= index)
        ++current_;
    endInsertRows();
}

void ListBox::setLine(int i, const QString& text) {
    lines_.at(static_cast<size_t>(i)) = text;
    emit dataChanged(index(i), index(i));
}

void ListBox::removeLine(int i) {
    if (i < 0 || i >= count())
        return;
    beginRemoveRows({}, i, i);
    lines_.erase(lines_.begin() + i);
    selected_.erase(selected_.begin() + i);
    if (current_ == i)
        current_ = -1;
    else if (current_ > i)
        --current_;
    endRemoveRows();
    emit selectionChanged();
}

void ListBox::clear() {
    beginResetModel();
    lines_.clear();
    selected_.clear();
    current_ = -1;
    endResetModel();
    emit selectionChanged();
}

void ListBox::setLines(const QStringList& lines) {
    beginResetModel();
    lines_.assign(lines.begin(), lines.end());
    selected_.assign(lines_.size(), false);
    current_ = -1;
    endResetModel();
    emit selectionChanged();
}

void ListBox::setSelected(int i, bool on) {
    if (i < 0 || i >= count() || selected_[static_cast<size_t>(i)] == on)
        return;
    if (!multi_ && on) {
        std::fill(selected_.begin(), selected_.end(), false);
        current_ = i;
    }
    selected_[static_cast<size_t>(i)] = on;
    emit selectionChanged();
}

int ListBox::selectedCount() const {
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

std::vector<int> ListBox::selectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < count(); ++i)
        if (selected_[static_cast<size_t>(i)])
            rows.push_back(i);
    return rows;
}

void ListBox::setCurrent(int i) {
    if (i < -1 || i >= count())
        return;
    current_ = i;
    if (!multi_) {
        std::fill(selected_.begin(), selected_.end(), false);
        if (i >= 0)
            selected_[static_cast<size_t>(i)] = true;
    }
    emit selectionChanged();
}

int ListBox::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ListBox::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole)
        return lines_[static_cast<size_t>(index.row())];
    return {};
}

} // namespace ui

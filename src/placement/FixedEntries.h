#pragma once

#include <QSet>
#include <QString>
#include <utility>
#include <vector>

namespace placement {

// The placements marked fixed, kept beside the rail grid (its texts have no room for a mark):
// per grid column the keys of its fixed course entries. A course stands at most once on a rail,
// so a column and a key name one entry wherever it stands in the column; the marks of a column
// move with its entries when rails are cut and inserted. Keys compare ignoring case, as the
// database compares them.
class FixedEntries {
public:
    bool has(int col, const QString& courseKey) const {
        return col >= 0 && col < static_cast<int>(cols_.size()) &&
               cols_[col].contains(courseKey.toUpper());
    }
    void set(int col, const QString& courseKey, bool fixed) {
        if (col < 0)
            return;
        if (col >= static_cast<int>(cols_.size()))
            cols_.resize(col + 1);
        if (fixed)
            cols_[col].insert(courseKey.toUpper());
        else
            cols_[col].remove(courseKey.toUpper());
    }
    // The column's marks, the column left with none.
    QSet<QString> take(int col) {
        if (col < 0 || col >= static_cast<int>(cols_.size()))
            return {};
        return std::exchange(cols_[col], {});
    }
    void put(int col, QSet<QString> keys) {
        if (col < 0)
            return;
        if (col >= static_cast<int>(cols_.size()))
            cols_.resize(col + 1);
        cols_[col] = std::move(keys);
    }
    void clear() { cols_.clear(); }

private:
    std::vector<QSet<QString>> cols_;
};

} // namespace placement

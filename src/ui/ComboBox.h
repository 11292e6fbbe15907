#pragma once

#include "ui/ListBox.h"

namespace ui {

// The combo box control: a single-selection list whose text is the current line's.
class ComboBox : public ListBox {
    Q_OBJECT
public:
    explicit ComboBox(QObject* parent = nullptr) : ListBox(false, parent) {}
    QString text() const { return currentIndex() >= 0 ? line(currentIndex()) : QString(); }
};

} // namespace ui

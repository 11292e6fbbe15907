#pragma once

#include <QComboBox>

namespace ui {
class ComboBox;
}

namespace gui {

// A combo box over a ComboBox model. The model's current line is what the box shows, also
// after the window refills or sets it back; an entry the user chooses becomes the model's
// current line and is reported as clicked().
class ComboBoxView : public QComboBox {
    Q_OBJECT
public:
    ComboBoxView(ui::ComboBox& model, QWidget* parent);

signals:
    void clicked();

private:
    void pull();
    ui::ComboBox& model_;
};

} // namespace gui

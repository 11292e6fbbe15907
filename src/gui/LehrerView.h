#pragma once

#include <QDialog>

namespace editors {
class frmLehrer;
}

namespace gui {

class QtHost;

// The window "Lehrer": the teachers above, the school year's courses with their teachers below,
// the buttons at the foot. Both lists scroll sideways rather than widen the window.
class LehrerView : public QDialog {
    Q_OBJECT
public:
    LehrerView(editors::frmLehrer& w, QtHost& host, QWidget* parent);

private:
    void refresh();
    editors::frmLehrer& w_;
    QtHost& host_;
};

} // namespace gui

#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace placement {
class frmVarianten;
}

namespace gui {

class QtHost;

// The window "Varianten": the table of the cohort's plans above, what "Vergleichen" found below,
// the buttons at the foot.
class VariantenView : public QDialog {
    Q_OBJECT
public:
    VariantenView(placement::frmVarianten& w, QtHost& host, QWidget* parent);

protected:
    void reject() override;

private:
    void refresh();
    placement::frmVarianten& w_;
    QtHost& host_;
    QLabel* lblUnterschiede_;
    QPlainTextEdit* unterschiede_;
};

} // namespace gui

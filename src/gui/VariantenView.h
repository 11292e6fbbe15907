#pragma once

#include <QDialog>

class QChartView;
class QLabel;
class QPlainTextEdit;

namespace placement {
class frmVarianten;
}

namespace gui {

class QtHost;

// The window "Varianten": the table of the cohort's plans above, what "Vergleichen" found and a
// chart of the chosen plans' figures below, the buttons at the foot.
class VariantenView : public QDialog {
    Q_OBJECT
public:
    VariantenView(placement::frmVarianten& w, QtHost& host, QWidget* parent);

protected:
    void reject() override;

private:
    void refresh();
    // The figures of the lines chosen in the table, side by side (Qt's charts).
    void drawFigures();
    placement::frmVarianten& w_;
    QtHost& host_;
    QLabel* lblUnterschiede_;
    QPlainTextEdit* unterschiede_;
    QChartView* chart_;
};

} // namespace gui

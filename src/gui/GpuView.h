#pragma once

#include <QDialog>

class QLineEdit;

namespace exporter::untis {
class frmGPU;
}

namespace gui {

class QtHost;

// "Stundenplan (GPU) exportieren": the cohort, the folder with its button, separator, encoding,
// first lesson number and student key one under the other, the buttons below.
class GpuView : public QDialog {
    Q_OBJECT
public:
    GpuView(exporter::untis::frmGPU& w, QtHost& host, QWidget* parent);

private:
    void refresh();
    exporter::untis::frmGPU& w_;
    QtHost& host_;
    QLineEdit* txtOrdner_;
    QLineEdit* txtNummer_;
};

} // namespace gui

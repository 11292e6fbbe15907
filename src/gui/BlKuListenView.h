#pragma once

#include <QDialog>

class QRadioButton;

namespace printing {
class frmBlKuListen;
}

namespace gui {

class QtHost;

// "Druck der Block-Kurs-Listen": the cohort, the rails of the year (several may be selected),
// portrait or landscape, and "&drucken".
class BlKuListenView : public QDialog {
    Q_OBJECT
public:
    BlKuListenView(printing::frmBlKuListen& w, QtHost& host, QWidget* parent);

private:
    void refresh();
    printing::frmBlKuListen& w_;
    QtHost& host_;
    QRadioButton* optHoch_;
    QRadioButton* optQuer_;
};

} // namespace gui

#pragma once

#include <QDialog>

namespace exporter {
class frmAKursPh;
}

namespace gui {

class QtHost;

// "Auswahl der Kursphase": the list of course phases and the window's buttons. Closing it
// otherwise counts as "&Abbrechen".
class AKursPhView : public QDialog {
    Q_OBJECT
public:
    AKursPhView(exporter::frmAKursPh& w, QtHost& host, QWidget* parent);

protected:
    void reject() override;

private:
    void refresh();
    exporter::frmAKursPh& w_;
    QtHost& host_;
};

} // namespace gui

#pragma once

#include <QDialog>

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QRadioButton;
class QTimer;

namespace placement {
class frmAutoSetzen;
}

namespace gui {

class QtHost;

// "Automatisch setzen": the mode, the time limit, the progress bar with the search's state,
// the evaluations before and after (the best so far while the search runs), the rules no plan
// keeps before the search and why each bound lies where it does after it, the students' changes
// of course ("Wenig ändern"), and the buttons. While
// the search runs, a timer polls the window's logic on the GUI thread ten times a second. Closing
// the window stops a search and takes nothing over.
class AutoSetzenView : public QDialog {
    Q_OBJECT
public:
    AutoSetzenView(placement::frmAutoSetzen& w, QtHost& host, QWidget* parent);

protected:
    void reject() override;

private:
    QHBoxLayout* buildSettings();
    QGridLayout* buildEvaluations();
    void refresh();
    void run(const std::function<void()>& handler);

    placement::frmAutoSetzen& w_;
    QtHost& host_;
    QRadioButton* optRest_ = nullptr;
    QRadioButton* optAlles_ = nullptr;
    QRadioButton* optWenig_ = nullptr;
    QLineEdit* txtZeit_ = nullptr;
    QLineEdit* txtVarianten_ = nullptr;
    QCheckBox* chkBeide_ = nullptr;
    QProgressBar* prgSuche_ = nullptr;
    QLabel* lblStand_ = nullptr;
    QLabel* lblVorher_ = nullptr;
    QLabel* lblNachherCaption_ = nullptr;
    QLabel* lblNachher_ = nullptr;
    QLabel* gruendeCaption_ = nullptr;
    QListWidget* lblGruende_ = nullptr;
    QStringList shownGruende_; // what lblGruende_ shows
    QLabel* lblWechselCaption_ = nullptr;
    QListWidget* lstWechsel_ = nullptr;
    QStringList shownWechsel_; // what lstWechsel_ shows
    QTimer* tmrSuche_ = nullptr;
};

} // namespace gui

#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QTableView;
class QTimer;

namespace planning {
class frmPlanung;
}

namespace gui {

class QtHost;

// "Kurse und Schienen": the cohort and the sizes on top, the counts per subject and kind as a
// table, what cannot be met, the rails needed with their buttons, the proposed changes with
// their figures, the progress bar with "Abbrechen" while a search runs (a timer polls the
// window's logic ten times a second). Closing stops a search.
class PlanungView : public QDialog {
    Q_OBJECT
public:
    PlanungView(planning::frmPlanung& w, QtHost& host, QWidget* parent);

protected:
    void reject() override;

private:
    QLayout* buildSettings();
    QWidget* buildRails();
    QWidget* buildChanges();
    QLayout* buildProgress();
    QLineEdit* edit(const QString& name, int chars, const std::function<void(const QString&)>& set);
    void addButton(QLayout* layout, const QString& name);
    void refresh();
    void run(const std::function<void()>& handler);

    planning::frmPlanung& w_;
    QtHost& host_;
    QLineEdit* txtMax_ = nullptr;
    QLineEdit* txtMin_ = nullptr;
    QLineEdit* txtZeit_ = nullptr;
    QLabel* lblStand_ = nullptr;
    QTableView* grdKurse_ = nullptr;
    QListWidget* lstProbleme_ = nullptr;
    QStringList shownProbleme_;
    QListWidget* lstSchienen_ = nullptr;
    QStringList shownSchienen_;
    QTableView* grdWasWaere_ = nullptr;
    QProgressBar* prgRechnung_ = nullptr;
    QTimer* tmrRechnung_ = nullptr;
};

} // namespace gui

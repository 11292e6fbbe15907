#pragma once

#include <QDialog>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QListView;
class QPlainTextEdit;
class QTableWidget;

namespace importer {
class ErzKuB;
}
namespace common {
class frmFMld;
}

namespace gui {

class QtHost;

// The import window: container path, school years, cohorts, the two buttons and the progress
// labels.
class ErzKuBView : public QDialog {
    Q_OBJECT
public:
    ErzKuBView(importer::ErzKuB& w, QtHost& host, QWidget* parent);

protected:
    void reject() override;

private:
    QHBoxLayout* lists();
    QGridLayout* progress();
    void refresh();
    importer::ErzKuB& w_;
    QtHost& host_;
    QLabel* dmerix_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* label3_;
    QLabel* label4_;
};

// The message window: the text in Courier New, "&drucken" and "&gelesen". The "Belegungen"
// show their names and courses in columns.
class FMldView : public QDialog {
    Q_OBJECT
public:
    FMldView(common::frmFMld& w, QtHost& host, QWidget* parent);

private:
    void refresh();
    common::frmFMld& w_;
    QtHost& host_;
    QPlainTextEdit* text_;
    QTableWidget* table_ = nullptr;
};

} // namespace gui

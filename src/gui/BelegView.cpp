#include "gui/BelegView.h"

#include "editors/frmBeleg.h"
#include "gui/ComboBoxView.h"
#include "gui/ListBoxView.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "ui/Command.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace gui {

using editors::frmBeleg;

namespace {

// A course name, in a sunken box as wide as the longest designation.
QLabel* courseLabel(QWidget* parent, const QString& name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWW")) + 8);
    return l;
}

QLabel* head(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

BelegView::BelegView(frmBeleg& w, QtHost& host, QWidget* parent)
    : QDialog(parent), w_(w), host_(host) {
    setWindowTitle(w_.caption());
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(navigator(), 1);
    auto* right = new QVBoxLayout;
    right->addWidget(advancedCourses());
    right->addWidget(basicCourses());
    right->addStretch(1);
    layout->addLayout(right);
    connect(&w_, &ui::Window::changed, this, &BelegView::refresh);
    refresh();
}

std::function<void()> BelegView::run(std::function<void()> handler) {
    return [this, handler]() { ui::runCommand(host_, handler); };
}

// Frame1: the cohort and its students.
QWidget* BelegView::navigator() {
    auto* frame1 = new QGroupBox(w_.Frame1, this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* nav = new QVBoxLayout(frame1);
    auto* cohortRow = new QHBoxLayout;
    cohortRow->addWidget(new QLabel(w_.Label8, frame1));
    auto* cohort = new ComboBoxView(w_.CmbKolJg, frame1);
    cohort->setObjectName(QStringLiteral("CmbKolJg"));
    cohortRow->addWidget(cohort);
    cohortRow->addStretch(1);
    nav->addLayout(cohortRow);
    auto* students = new ListBoxView(w_.LstNavigator, frame1);
    students->setObjectName(QStringLiteral("LstNavigator"));
    students->setMinimumWidth(
        students->fontMetrics().horizontalAdvance(QString(frmBeleg::kNameWidth + 6, 'W')) + 24);
    nav->addWidget(students, 1);
    connect(cohort, &ComboBoxView::clicked, this, run([this]() { w_.CmbKolJg_Click(); }));
    connect(students, &ListBoxView::clicked, this, run([this]() { w_.LstNavigator_Click(); }));
    return frame1;
}

// frameLK: per advanced-course row its subject and the courses of both year groups.
QWidget* BelegView::advancedCourses() {
    auto* frameLK = new QGroupBox(w_.frameLK, this);
    frameLK->setObjectName(QStringLiteral("frameLK"));
    auto* lk = new QGridLayout(frameLK);
    lk->addWidget(head(w_.Label1, frameLK), 0, 0);
    lk->addWidget(head(w_.Label2, frameLK), 0, 1);
    lk->addWidget(head(w_.Label3, frameLK), 0, 2);
    for (int r = 0; r < frmBeleg::kLkRows; ++r) {
        auto* subject = new ComboBoxView(w_.CmbFachLK[static_cast<size_t>(r)], frameLK);
        subject->setObjectName(QStringLiteral("CmbFachLK(%1)").arg(r));
        subject->setFont(courierNew(10));
        lk->addWidget(subject, r + 1, 0);
        connect(subject, &ComboBoxView::clicked, this, run([this, r]() { w_.CmbFachLK_Click(r); }));
        for (int y = 0; y < 2; ++y) {
            auto* l = courseLabel(frameLK, QStringLiteral("lblKursLK(%1)").arg(2 * r + y));
            lk->addWidget(l, r + 1, 1 + y);
            lblKursLK_.push_back(l);
        }
        auto* unused = new QLabel(w_.lblLK[static_cast<size_t>(r)], frameLK);
        unused->setObjectName(QStringLiteral("lblLK(%1)").arg(r));
        lk->addWidget(unused, r + 1, 3);
    }
    lk->setColumnStretch(3, 1);
    return frameLK;
}

// FrameGK: per basic-course row its subject, its choice type and the courses of both year
// groups (the year-13 labels numbered after all year-12 ones).
QWidget* BelegView::basicCourses() {
    auto* frameGK = new QGroupBox(w_.FrameGK, this);
    frameGK->setObjectName(QStringLiteral("FrameGK"));
    auto* gk = new QGridLayout(frameGK);
    gk->addWidget(head(w_.Label4, frameGK), 0, 0);
    gk->addWidget(head(w_.Label5, frameGK), 0, 1);
    gk->addWidget(head(w_.Label6, frameGK), 0, 2);
    gk->addWidget(head(w_.Label7, frameGK), 0, 3);
    for (int r = 0; r < frmBeleg::kGkRows; ++r) {
        auto* subject = new ComboBoxView(w_.CmbFachGK[static_cast<size_t>(r)], frameGK);
        subject->setObjectName(QStringLiteral("CmbFachGK(%1)").arg(r));
        subject->setFont(courierNew(10));
        gk->addWidget(subject, r + 1, 0);
        connect(subject, &ComboBoxView::clicked, this, run([this, r]() { w_.CmbFachGK_Click(r); }));
        auto* type = new ComboBoxView(w_.CmbBlGK[static_cast<size_t>(r)], frameGK);
        type->setObjectName(QStringLiteral("CmbBlGK(%1)").arg(r));
        gk->addWidget(type, r + 1, 1);
        connect(type, &ComboBoxView::clicked, this, run([this, r]() { w_.CmbBlGK_Click(r); }));
        lblKursKG_.push_back(courseLabel(frameGK, QStringLiteral("lblKursKG(%1)").arg(r)));
        gk->addWidget(lblKursKG_.back(), r + 1, 2);
    }
    for (int r = 0; r < frmBeleg::kGkRows; ++r) {
        lblKursKG_.push_back(
            courseLabel(frameGK, QStringLiteral("lblKursKG(%1)").arg(frmBeleg::kGkRows + r)));
        gk->addWidget(lblKursKG_.back(), r + 1, 3);
    }
    gk->setColumnStretch(4, 1);
    return frameGK;
}

void BelegView::refresh() {
    setWindowTitle(w_.caption());
    for (size_t i = 0; i < lblKursLK_.size(); ++i)
        lblKursLK_[i]->setText(w_.lblKursLK[i]);
    for (size_t i = 0; i < lblKursKG_.size(); ++i)
        lblKursKG_[i]->setText(w_.lblKursKG[i]);
}

} // namespace gui
